// The live series' point store against a plain reference (a deque of points, min/max
// by scanning), through growth, front removal, ring wrap-around, empty points and
// keys that go back; and the envelope a redraw draws from it.
#include <QtTest>
#include <cmath>
#include <deque>
#include <limits>
#include <random>
#include <utility>

#include "display/LiveEnvelope.h"
#include "display/LivePointStore.h"

using zuva::display::LiveEnvelope;
using zuva::display::LivePointStore;

namespace {

using Reference = std::deque<std::pair<double, double>>;

LivePointStore::Range scan(const Reference& ref, std::size_t begin, std::size_t end) {
    LivePointStore::Range r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (std::size_t i = begin; i < end; ++i) {
        const double v = ref[i].second;
        if (std::isnan(v)) continue;
        r.min = std::min(r.min, v);
        r.max = std::max(r.max, v);
    }
    return r;
}

// Every index range of a store of n points is too many; these cover both ragged
// ends, whole blocks of each level and the whole store.
std::vector<std::pair<std::size_t, std::size_t>> rangesOf(std::size_t n, std::mt19937& random) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges = {{0, n}};
    if (n == 0) return ranges;
    std::uniform_int_distribution<std::size_t> any(0, n - 1);
    for (int i = 0; i < 200; ++i) {
        std::size_t a = any(random);
        std::size_t b = any(random);
        if (a > b) std::swap(a, b);
        ranges.emplace_back(a, b + 1);
    }
    for (std::size_t len : {1u, 15u, 16u, 17u, 127u, 128u, 129u, 1024u, 1025u}) {
        if (len <= n) ranges.emplace_back(n - len, n);
    }
    return ranges;
}

void compareWithReference(const LivePointStore& store, const Reference& ref, std::mt19937& random) {
    QCOMPARE(store.size(), ref.size());
    for (std::size_t i = 0; i < ref.size(); i += 1 + ref.size() / 97) {
        QCOMPARE(store.keyAt(i), ref[i].first);
        if (std::isnan(ref[i].second)) {
            QVERIFY(std::isnan(store.valueAt(i)));
        } else {
            QCOMPARE(store.valueAt(i), ref[i].second);
        }
    }
    for (const auto& [a, b] : rangesOf(ref.size(), random)) {
        const auto want = scan(ref, a, b);
        const auto got = store.minMax(a, b);
        QCOMPARE(got.any(), want.any());
        if (want.any()) {
            QCOMPARE(got.min, want.min);
            QCOMPARE(got.max, want.max);
        }
    }
}

}  // namespace

class LivePointStoreTest : public QObject {
    Q_OBJECT
private slots:
    // A sliding window as the live charts drive it: grows past several ring sizes,
    // then slides for more than twice the ring, with an empty point now and then.
    void minMaxFollowsASlidingWindow_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("added");
        QTest::newRow("small window, ring wraps many times") << 300 << 20'000;
        QTest::newRow("window of one ring exactly") << 1024 << 5'000;
        QTest::newRow("hour at 64 Hz") << 230'400 + 257 << 600'000;
    }
    void minMaxFollowsASlidingWindow() {
        QFETCH(int, window);
        QFETCH(int, added);
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, 3.0);
        LivePointStore store;
        Reference ref;
        double value = 20000.0;
        for (int i = 0; i < added; ++i) {
            value += noise(random);
            const double v = i % 997 == 500 ? std::numeric_limits<double>::quiet_NaN() : value;
            store.append(i, v);
            ref.emplace_back(i, v);
            while (ref.size() > static_cast<std::size_t>(window)) {
                store.removeFirst();
                ref.pop_front();
            }
            if (i == added / 3 || i == added - 1) compareWithReference(store, ref, random);
        }
        QVERIFY(store.capacity() >= static_cast<std::size_t>(window));
        QVERIFY(store.capacity() < 2 * static_cast<std::size_t>(window) + 1024);
    }

    // Empty points are found from any index; one removed from the front is gone.
    void breaksAreFound() {
        LivePointStore store;
        const double none = std::numeric_limits<double>::quiet_NaN();
        for (int i = 0; i < 10; ++i) store.append(i, i == 3 || i == 7 ? none : i);
        QCOMPARE(store.nextBreak(0), std::size_t{3});
        QCOMPARE(store.nextBreak(3), std::size_t{3});
        QCOMPARE(store.nextBreak(4), std::size_t{7});
        QCOMPARE(store.nextBreak(8), std::size_t{10});
        for (int i = 0; i < 4; ++i) store.removeFirst();
        QCOMPARE(store.nextBreak(0), std::size_t{3});  // the point at 7, now index 3
        const auto r = store.minMax(0, store.size());
        QCOMPARE(r.min, 4.0);
        QCOMPARE(r.max, 9.0);
        QVERIFY(!store.minMax(3, 4).any());
    }

    // A key below the last (the clock set back) goes after the points not above it,
    // as a sorted series keeps it; lowerBound finds the first point at or after a key.
    void keysThatGoBackAreSorted() {
        LivePointStore store;
        for (int i = 0; i < 2000; ++i) store.append(i, i);
        store.removeFirst();
        store.append(500.0, -1.0);
        QCOMPARE(store.size(), std::size_t{2000});
        QCOMPARE(store.keyAt(499), 500.0);
        QCOMPARE(store.valueAt(499), 500.0);
        QCOMPARE(store.valueAt(500), -1.0);
        QCOMPARE(store.keyAt(501), 501.0);
        QCOMPARE(store.minMax(0, store.size()).min, -1.0);
        QCOMPARE(store.lowerBound(500.0), std::size_t{499});
        QCOMPARE(store.lowerBound(500.5), std::size_t{501});
        QCOMPARE(store.lowerBound(-3.0), std::size_t{0});
        QCOMPARE(store.lowerBound(5000.0), store.size());
        // Searching on from a known index gives the same as from the start.
        for (double key : {-3.0, 0.5, 500.0, 500.5, 501.0, 1998.5, 1999.0, 5000.0}) {
            for (std::size_t from : {std::size_t{0}, std::size_t{1}, std::size_t{400}, std::size_t{499}}) {
                if (from > store.lowerBound(key)) continue;
                QCOMPARE(store.lowerBound(key, from), store.lowerBound(key));
            }
        }
        store.clear();
        QVERIFY(store.empty());
        store.removeFirst();  // nothing to remove: nothing happens
        QCOMPARE(store.size(), std::size_t{0});
    }

    // Few points: all of them. Many: per column the true extremes, the ends at their
    // own keys, ascending keys, at most about two points per column.
    void envelopeKeepsExtremesAndEnds() {
        LivePointStore store;
        const int n = 100'000;
        for (int i = 0; i < n; ++i) store.append(i, std::sin(i * 0.001) * 100.0 + (i == 54'321 ? 500.0 : 0.0));
        const int columns = 800;
        LiveEnvelope envelope;
        const auto env = envelope.build(store, 0.0, n - 1.0, columns);
        QVERIFY(static_cast<double>(env.size()) <= 2 * columns / LiveEnvelope::kLeastGridWidth + 2);
        QVERIFY(env.size() >= columns);
        QCOMPARE(env.front().key, 0.0);
        QCOMPARE(env.back().key, n - 1.0);
        double top = -1e9;
        double bottom = 1e9;
        for (int i = 1; i < env.size(); ++i) QVERIFY(env[i].key >= env[i - 1].key);
        for (const auto& p : env) {
            top = std::max(top, p.value);
            bottom = std::min(bottom, p.value);
        }
        QCOMPARE(top, store.minMax(0, store.size()).max);  // the spike survives
        QCOMPARE(bottom, store.minMax(0, store.size()).min);

        LivePointStore few;
        for (int i = 0; i < 20; ++i) few.append(i, i * 2.0);
        const auto all = envelope.build(few, 0.0, 19.0, 800);
        QCOMPARE(all.size(), 20);
        QCOMPARE(all[7].key, 7.0);
        QCOMPARE(all[7].value, 14.0);
        QVERIFY(envelope.build(LivePointStore(), 0.0, 1.0, 800).isEmpty());
    }

    // An empty point in the middle of many stays an empty point between the two sides.
    void envelopeKeepsGaps() {
        LivePointStore store;
        const double none = std::numeric_limits<double>::quiet_NaN();
        for (int i = 0; i < 50'000; ++i) store.append(i, i == 30'000 ? none : 1.0 + (i > 30'000));
        LiveEnvelope envelope;
        const auto env = envelope.build(store, 0.0, 49'999.0, 100);
        int gaps = 0;
        for (int i = 0; i < env.size(); ++i) {
            if (!std::isnan(env[i].value)) continue;
            ++gaps;
            QCOMPARE(env[i].key, 30'000.0);
            QCOMPARE(env[i - 1].value, 1.0);
            QCOMPARE(env[i + 1].value, 2.0);
        }
        QCOMPARE(gaps, 1);
    }

    // A window sliding second by second, with missing seconds and a clear: the build
    // that takes columns from the one before draws exactly what working out every
    // column afresh on the same grid draws,
    // and once the window is full it works out only a few columns per second.
    void envelopeReusesColumnsWithoutChangingThePicture() {
        LivePointStore store;
        LiveEnvelope sliding;
        const int rate = 64;
        const std::size_t window = 60 * rate;
        std::mt19937 random(3);
        std::uniform_real_distribution<double> noise(-1.0, 1.0);
        const double none = std::numeric_limits<double>::quiet_NaN();
        std::size_t mostWorkedOut = 0;
        int regrids = 0;
        double lastKey = 0.0;
        for (int second = 0; second < 400; ++second) {
            if (second % 97 == 50 || second % 89 == 20) continue;  // missing seconds
            if (second == 300) store.clear();
            for (int i = 0; i < rate; ++i) {
                const double key = (36000 + second + i / double(rate)) / 86400.0;
                if (!store.empty() && key - lastKey > 1.001 / 86400.0) store.append(0.5 * (key + lastKey), none);
                store.append(key, 100.0 * std::sin(key * 5e4) + noise(random));
                lastKey = key;
                while (store.size() > window) store.removeFirst();
            }
            const double from = std::isnan(store.valueAt(0)) ? store.keyAt(1) : store.keyAt(0);
            const double to = store.keyAt(store.size() - 1);
            const QVector<QCPGraphData> got = sliding.build(store, from, to, 700);
            if (store.size() <= 2 * 700 + 2) {
                QCOMPARE(got.size(), static_cast<qsizetype>(store.size()));  // every point
                continue;
            }
            const QVector<QCPGraphData> want = LiveEnvelope::onGrid(store, sliding.gridWidth());
            QCOMPARE(got.size(), want.size());
            for (int k = 0; k < got.size(); ++k) {
                QCOMPARE(got[k].key, want[k].key);
                QCOMPARE(std::isnan(got[k].value), std::isnan(want[k].value));
                if (!std::isnan(want[k].value)) QCOMPARE(got[k].value, want[k].value);
            }
            if (second > 100 && second < 300) {
                // A missing second entering or leaving the window widens or narrows
                // its span, which may move the grid now and then: all afresh.
                if (sliding.columnsReused() == 0) {
                    ++regrids;
                } else {
                    mostWorkedOut = std::max(mostWorkedOut, sliding.columnsWorkedOut());
                }
            }
        }
        QVERIFY2(regrids <= 2, qPrintable(QString::number(regrids)));
        QVERIFY2(mostWorkedOut < 40, qPrintable(QString::number(mostWorkedOut)));
    }
};

QTEST_MAIN(LivePointStoreTest)
#include "LivePointStoreTest.moc"

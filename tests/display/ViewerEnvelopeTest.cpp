// The viewer's sample store: min/max pyramid, time runs and the per-column envelope,
// each checked against brute force.
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "display/EnvelopeSampler.h"
#include "display/FileViewerData.h"

using zuva::display::EnvelopeSampler;
using zuva::display::FileViewerData;
using zuva::display::MinMaxPyramid;
using zuva::display::SampleTimeline;
using zuva::display::Trace;

namespace {

struct Samples {
    std::vector<double> t, x, y, z;
    void add(double time, double v) {
        t.push_back(time);
        x.push_back(v);
        y.push_back(-v);
        z.push_back(v * 0.5 + 1);
    }
};

// `seconds` records at `rate` Hz from `start`, random walk values; `gapEvery` > 0
// leaves out every gapEvery-th second.
Samples recording(double start, int seconds, int rate, unsigned seed, int gapEvery = 0) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> step(0.0, 3.0);
    Samples s;
    double v = 20000.0;
    for (int sec = 0; sec < seconds; ++sec) {
        if (gapEvery > 0 && sec % gapEvery == gapEvery - 1) continue;
        for (int i = 0; i < rate; ++i) {
            v += step(rng);
            s.add(start + sec + static_cast<double>(i) / rate, v);
        }
    }
    return s;
}

FileViewerData store(const Samples& s, std::size_t block) {
    FileViewerData d;
    for (std::size_t i = 0; i < s.t.size(); i += block) {
        const std::size_t n = std::min(block, s.t.size() - i);
        d.appendBlock(&s.t[i], &s.x[i], &s.y[i], &s.z[i], n);
    }
    return d;
}

}  // namespace

class ViewerEnvelopeTest : public QObject {
    Q_OBJECT
private slots:
    void pyramidMinMaxEqualsBruteForce() {
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> value(-1e6f, 1e6f);
        // Sizes around block, level and chunk edges.
        for (std::size_t n : {std::size_t{1}, std::size_t{15}, std::size_t{16}, std::size_t{129},
                              std::size_t{2049}, std::size_t{70'001}}) {
            std::vector<float> v(n);
            for (float& f : v) f = value(rng);
            MinMaxPyramid p;
            p.append(v.data(), n);
            QCOMPARE(p.size(), n);
            std::uniform_int_distribution<std::size_t> index(0, n - 1);
            for (int q = 0; q < 400; ++q) {
                std::size_t a = index(rng);
                std::size_t b = index(rng);
                if (a > b) std::swap(a, b);
                ++b;
                const auto r = p.minMax(a, b);
                const auto [lo, hi] = std::minmax_element(v.begin() + static_cast<long>(a), v.begin() + static_cast<long>(b));
                QCOMPARE(r.min, *lo);
                QCOMPARE(r.max, *hi);
            }
            const auto all = p.minMax(0, n);
            QCOMPARE(all.min, *std::min_element(v.begin(), v.end()));
            QCOMPARE(all.max, *std::max_element(v.begin(), v.end()));
        }
    }

    // Appends in pieces build the same pyramid as one append; pieces of whole blocks
    // make upper levels come into being after their first block is complete.
    void pyramidAppendInPiecesEqualsAtOnce_data() {
        QTest::addColumn<int>("piece");
        QTest::newRow("1") << 1;
        QTest::newRow("37") << 37;
        QTest::newRow("64") << 64;
        QTest::newRow("128") << 128;
        QTest::newRow("1024") << 1024;
        QTest::newRow("random") << 0;
    }
    void pyramidAppendInPiecesEqualsAtOnce() {
        QFETCH(int, piece);
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> value(-5.f, 5.f);
        std::vector<float> v(100'000);
        for (float& f : v) f = value(rng);
        MinMaxPyramid whole;
        whole.append(v.data(), v.size());
        MinMaxPyramid pieces;
        std::uniform_int_distribution<std::size_t> len(1, 700);
        for (std::size_t i = 0; i < v.size();) {
            const std::size_t n = std::min(piece > 0 ? static_cast<std::size_t>(piece) : len(rng), v.size() - i);
            pieces.append(&v[i], n);
            i += n;
        }
        QCOMPARE(pieces.levelCount(), whole.levelCount());
        // Ranges of every length up to the whole, so that every level is read.
        std::uniform_int_distribution<std::size_t> index(0, v.size() - 1);
        for (int q = 0; q < 300; ++q) {
            std::size_t a = q % 3 == 0 ? 0 : index(rng);
            std::size_t b = index(rng);
            if (a > b) std::swap(a, b);
            QCOMPARE(pieces.minMax(a, b + 1).min, whole.minMax(a, b + 1).min);
            QCOMPARE(pieces.minMax(a, b + 1).max, whole.minMax(a, b + 1).max);
            const auto [lo, hi] = std::minmax_element(v.begin() + static_cast<long>(a), v.begin() + static_cast<long>(b) + 1);
            QCOMPARE(pieces.minMax(a, b + 1).min, *lo);
            QCOMPARE(pieces.minMax(a, b + 1).max, *hi);
        }
        for (std::size_t i = 0; i < v.size(); i += 997) QCOMPARE(pieces.value(i), v[i]);
    }

    void timelineRuns() {
        SampleTimeline t;
        // Two seconds at 4 Hz, a gap, a jump back, one lone sample, a repeated time.
        for (double s : {10.0, 10.25, 10.5, 10.75, 11.0, 11.25, 11.5, 11.75, 15.0, 15.25, 5.0, 5.5, 6.0, 6.0, 7.0}) {
            t.append(s);
        }
        QCOMPARE(t.size(), std::size_t{15});
        const auto& runs = t.runs();
        QCOMPARE(runs.size(), std::size_t{4});
        QCOMPARE(runs[0].count, std::size_t{8});
        QCOMPARE(runs[0].step, 0.25);
        QCOMPARE(runs[1].start, 15.0);
        QCOMPARE(runs[1].count, std::size_t{2});
        QCOMPARE(runs[2].start, 5.0);
        QCOMPARE(runs[2].count, std::size_t{3});
        QCOMPARE(runs[3].start, 6.0);  // equal time: a new run, which 7.0 then continues
        QCOMPARE(runs[3].first, std::size_t{13});
        QCOMPARE(runs[3].count, std::size_t{2});
        QCOMPARE(runs[3].step, 1.0);
        const double expected[] = {10.0, 10.25, 10.5, 10.75, 11.0, 11.25, 11.5, 11.75, 15.0, 15.25, 5.0, 5.5, 6.0, 6.0, 7.0};
        for (std::size_t i = 0; i < 15; ++i) QCOMPARE(t.timeAt(i), expected[i]);
        double earliest = 0;
        double latest = 0;
        QVERIFY(t.span(earliest, latest));
        QCOMPARE(earliest, 5.0);
        QCOMPARE(latest, 15.25);
    }

    // Times added up step by step drift a little; they stay one run within the
    // tolerance and come back within it.
    void timelineAccumulatedTimesStayOneRun() {
        SampleTimeline t;
        std::vector<double> times;
        double s = 3600.0;
        const double step = 1.0 / 86400.0 / 64.0;  // days per sample, added up as days
        double day = s / 86400.0;
        for (int i = 0; i < 64 * 3600; ++i) {
            times.push_back(day * 86400.0);
            t.append(day * 86400.0);
            day += step;
        }
        QCOMPARE(t.runs().size(), std::size_t{1});
        for (std::size_t i = 0; i < times.size(); i += 1237) QVERIFY(std::fabs(t.timeAt(i) - times[i]) <= 1e-6);
    }

    // Per pixel column the envelope's min and max equal brute force over the samples
    // whose time falls in that column; with gaps in the data too.
    void envelopeEqualsBruteForce_data() {
        QTest::addColumn<int>("gapEvery");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<int>("columns");
        QTest::newRow("whole hour") << 0 << 36000.0 << 39600.0 << 800;
        QTest::newRow("odd range") << 0 << 36123.37 << 37001.9 << 333;
        QTest::newRow("gaps") << 7 << 36000.0 << 39600.0 << 640;
        QTest::newRow("view wider than data") << 5 << 30000.0 << 45000.0 << 500;
    }
    void envelopeEqualsBruteForce() {
        QFETCH(int, gapEvery);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(int, columns);
        const Samples s = recording(36000.0, 3600, 64, 3, gapEvery);
        const FileViewerData d = store(s, 64);
        const EnvelopeSampler sampler(d.timeline(), from, to, columns);
        QVERIFY(!sampler.showsSamples());

        // Brute force with the sampler's own column edges.
        const std::size_t n = d.size();
        std::vector<std::array<float, 2>> expect(static_cast<std::size_t>(columns),
                                                 {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()});
        for (std::size_t i = 0; i < n; ++i) {
            const double t = d.timeline().timeAt(i);
            if (t < from || t >= to) continue;
            int c = 0;
            while (c + 1 < columns && sampler.columnStart(c + 1) <= t) ++c;
            auto& e = expect[static_cast<std::size_t>(c)];
            e[0] = std::min(e[0], static_cast<float>(s.x[i]));
            e[1] = std::max(e[1], static_cast<float>(s.x[i]));
        }
        const Trace trace = sampler.trace(d.component(0));
        // Rebuild min/max per column from the trace points (keys inside their columns).
        std::vector<std::array<double, 2>> got(static_cast<std::size_t>(columns),
                                               {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()});
        for (std::size_t i = 0; i < trace.keys.size(); ++i) {
            const double k = trace.keys[i];
            if (k < from || k >= to) continue;  // the neighbours outside the view
            const int c = static_cast<int>((k - from) / (to - from) * columns);
            auto& g = got[static_cast<std::size_t>(c)];
            g[0] = std::min(g[0], trace.values[i]);
            g[1] = std::max(g[1], trace.values[i]);
        }
        for (int c = 0; c < columns; ++c) {
            const auto& e = expect[static_cast<std::size_t>(c)];
            const auto& g = got[static_cast<std::size_t>(c)];
            if (e[0] > e[1]) {
                QVERIFY2(g[0] > g[1], qPrintable(QString("column %1 should be empty").arg(c)));
                continue;
            }
            QCOMPARE(g[0], static_cast<double>(e[0]));
            QCOMPARE(g[1], static_cast<double>(e[1]));
        }
        QVERIFY(trace.hasValues);
        QVERIFY(std::is_sorted(trace.keys.begin(), trace.keys.end()));
    }

    // Zoomed in to fewer than two samples per column: every sample in view is drawn
    // as itself, plus the nearest one outside on each side.
    void zoomedInYieldsEverySample() {
        const Samples s = recording(50000.0, 60, 256, 5);
        const FileViewerData d = store(s, 256);
        const double from = 50010.1;
        const double to = 50012.3;  // 2.2 s = 563 samples
        const EnvelopeSampler sampler(d.timeline(), from, to, 800);
        QVERIFY(sampler.showsSamples());
        const Trace trace = sampler.trace(d.component(1));
        std::vector<double> keys;
        std::vector<double> values;
        std::size_t firstIn = 0;
        for (std::size_t i = 0; i < s.t.size(); ++i) {
            if (s.t[i] >= from && s.t[i] < to) {
                if (keys.empty()) firstIn = i;
                keys.push_back(s.t[i]);
                values.push_back(static_cast<float>(s.y[i]));
            }
        }
        QCOMPARE(sampler.visibleSamples(), keys.size());
        QCOMPARE(trace.keys.size(), keys.size() + 2);
        QCOMPARE(trace.keys.front(), s.t[firstIn - 1]);
        QCOMPARE(trace.keys.back(), s.t[firstIn + keys.size()]);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            QCOMPARE(trace.keys[i + 1], keys[i]);
            QCOMPARE(trace.values[i + 1], values[i]);
        }
        QCOMPARE(trace.low, *std::min_element(values.begin(), values.end()));
        QCOMPARE(trace.high, *std::max_element(values.begin(), values.end()));
    }

    // Overlapping runs (time went back) are merged in time order when zoomed in.
    void zoomedInAcrossAJumpBackIsInTimeOrder() {
        Samples s;
        for (int i = 0; i < 8; ++i) s.add(100.0 + i * 0.5, i);
        for (int i = 0; i < 8; ++i) s.add(101.25 + i * 0.5, 100 + i);
        const FileViewerData d = store(s, 16);
        const Trace trace = EnvelopeSampler(d.timeline(), 99.0, 110.0, 100).trace(d.component(0));
        std::vector<std::pair<double, double>> expected;
        for (std::size_t i = 0; i < s.t.size(); ++i) expected.emplace_back(s.t[i], s.x[i]);
        std::sort(expected.begin(), expected.end());
        QCOMPARE(trace.keys.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(trace.keys[i], expected[i].first);
            QCOMPARE(trace.values[i], expected[i].second);
        }
        QCOMPARE(trace.values[3], 100.0);  // 101.25 s, from the second run, between 101.0 and 101.5
    }

    void appendBlockInManyBlocksEqualsOne() {
        const Samples s = recording(0.0, 300, 128, 9, 11);
        const FileViewerData one = store(s, s.t.size());
        const FileViewerData many = store(s, 37);
        QCOMPARE(many.size(), one.size());
        QCOMPARE(many.timeline().runs().size(), one.timeline().runs().size());
        for (std::size_t k = 0; k < FileViewerData::kComponents; ++k) {
            for (std::size_t i = 0; i < one.size(); i += 101) {
                QCOMPARE(many.component(k).value(i), one.component(k).value(i));
                QCOMPARE(many.timeline().timeAt(i), one.timeline().timeAt(i));
            }
        }
        for (double from : {0.0, 17.3, 150.0}) {
            const EnvelopeSampler a(one.timeline(), from, from + 120.0, 400);
            const EnvelopeSampler b(many.timeline(), from, from + 120.0, 400);
            for (std::size_t k = 0; k < FileViewerData::kComponents; ++k) {
                const Trace ta = a.trace(one.component(k));
                const Trace tb = b.trace(many.component(k));
                QCOMPARE(tb.keys, ta.keys);
                // Equal value by value; the empty points that break the line at gaps are NaN in both.
                QCOMPARE(tb.values.size(), ta.values.size());
                for (std::size_t i = 0; i < ta.values.size(); ++i) {
                    if (std::isnan(ta.values[i])) {
                        QVERIFY(std::isnan(tb.values[i]));
                    } else {
                        QCOMPARE(tb.values[i], ta.values[i]);
                    }
                }
            }
        }
    }

    void samplesThatAreNotNumbersAreSkipped() {
        const double t[] = {1.0, NAN, 2.0, 3.0, 4.0, INFINITY};
        const double x[] = {1, 1, NAN, 1e300, 5, 1};
        const double y[] = {2, 2, 2, 2, 6, 2};
        const double z[] = {3, 3, 3, 3, 7, 3};
        FileViewerData d;
        QCOMPARE(d.appendBlock(t, x, y, z, 6), std::size_t{4});
        QCOMPARE(d.size(), std::size_t{2});
        QCOMPARE(d.component(0).value(1), 5.0f);
        QCOMPARE(d.component(2).value(0), 3.0f);
        QCOMPARE(d.appendBlock(nullptr, x, y, z, 6), std::size_t{6});
        QCOMPARE(d.size(), std::size_t{2});
        d.clear();
        QCOMPARE(d.size(), std::size_t{0});
        QCOMPARE(EnvelopeSampler(d.timeline(), 0, 10, 100).trace(d.component(0)).keys.size(), std::size_t{0});
    }

    void emptyOrBackwardViewDrawsNothing() {
        const Samples s = recording(10.0, 5, 8, 1);
        const FileViewerData d = store(s, 8);
        for (auto [from, to] : {std::pair{5.0, 5.0}, std::pair{12.0, 11.0}, std::pair{std::nan(""), 12.0}}) {
            const Trace trace = EnvelopeSampler(d.timeline(), from, to, 100).trace(d.component(0));
            QVERIFY(trace.keys.empty());
            QVERIFY(!trace.hasValues);
        }
        // A view beside the data draws only the nearest sample, no values in view.
        const Trace beside = EnvelopeSampler(d.timeline(), 100.0, 200.0, 100).trace(d.component(0));
        QCOMPARE(beside.keys.size(), std::size_t{1});
        QCOMPARE(beside.keys[0], s.t.back());
        QVERIFY(!beside.hasValues);
    }
};

QTEST_MAIN(ViewerEnvelopeTest)
#include "ViewerEnvelopeTest.moc"

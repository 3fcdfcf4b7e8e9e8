#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "FilterSignals.h"
#include "fakes/RecordingLog.h"
#include "products/FilterChain.h"
#include "products/MinuteFilter.h"
#include "products/MinuteFilterCoefficients.h"

namespace zuva::products {
namespace {

constexpr std::int64_t kDay = 1773446400;  // 2026-03-14 00:00:00 UTC
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The INTERMAGNET one-second to one-minute weights t0 .. t45 as tabulated.
constexpr double kTable[46] = {
    0.0251958, 0.02514602, 0.02499727, 0.02475132, 0.02441104, 0.0239804, 0.02346437, 0.02286881, 0.02220039,
    0.02146643, 0.0206748, 0.01983377, 0.01895183, 0.01803763, 0.01709976, 0.01614667, 0.01518651, 0.01422707,
    0.01327563, 0.01233892, 0.01142303, 0.01053338, 0.0096747, 0.0088509, 0.0080653, 0.0073204, 0.0066181,
    0.0059596, 0.0053454, 0.0047755, 0.0042496, 0.0037667, 0.0033254, 0.0029243, 0.0025614, 0.0022347,
    0.0019419, 0.0016809, 0.0014492, 0.0012445, 0.0010645, 0.000907, 0.00077, 0.000651, 0.000548, 0.000459};

double signal(std::int64_t t) {
    return 30000.0 + 40.0 * std::sin(static_cast<double>(t) / 97.0) + 3.0 * std::cos(static_cast<double>(t) / 7.3);
}

// The minute value straight from the 91 tabulated weights over the seconds present,
// or NaN when they carry less than 90 % of the weight.
double direct(std::int64_t minute, const std::map<std::int64_t, double>& seconds) {
    double sum = 0, weight = 0, all = 0;
    for (int k = -45; k <= 45; ++k) {
        const double w = kTable[k < 0 ? -k : k];
        all += w;
        const auto it = seconds.find(minute + k);
        if (it == seconds.end() || std::isnan(it->second)) continue;
        sum += w * it->second;
        weight += w;
    }
    return weight >= 0.9 * all ? sum / weight : kNaN;
}

TEST(MinuteFilterCoefficients, AreTheTabulatedWeights) {
    for (std::size_t k = 0; k < 46; ++k) EXPECT_EQ(MinuteFilterCoefficients::t[k], kTable[k]) << "t" << k;
    EXPECT_NEAR(MinuteFilterCoefficients::total(), 1.0000019, 1e-12);
    EXPECT_EQ(MinuteFilterCoefficients::weight(-45), kTable[45]);
}

TEST(MinuteFilter, StreamedValuesEqualADirectEvaluationOfTheTable) {
    std::map<std::int64_t, double> seconds;
    std::vector<FieldValue> minutes;
    MinuteFilter filter([&](const FieldValue& v) { minutes.push_back(v); });
    for (std::int64_t t = kDay + 100; t < kDay + 1000; ++t) {
        seconds[t] = signal(t);
        ASSERT_TRUE(filter.add({t, signal(t), -signal(t), 2 * signal(t)}));
    }
    filter.finish();
    // From the first minute whose window holds data (00:01:00 reaches 00:01:45) to the
    // last one (00:17:00 reaches back to 00:16:15, the last second is 00:16:39).
    ASSERT_EQ(minutes.size(), 17u);
    EXPECT_EQ(minutes.front().time, kDay + 60);
    EXPECT_EQ(minutes.back().time, kDay + 1020);
    int computed = 0;
    for (const FieldValue& m : minutes) {
        const double expected = direct(m.time, seconds);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(m.x)) << m.time - kDay;
            continue;
        }
        ++computed;
        EXPECT_NEAR(m.x, expected, 0.01) << m.time - kDay;
        EXPECT_NEAR(m.x, expected, 1e-9) << m.time - kDay;
        EXPECT_NEAR(m.y, -expected, 1e-9);
        EXPECT_NEAR(m.z, 2 * expected, 1e-9);
    }
    EXPECT_EQ(computed, 15);  // 00:02:00 lacks 00:01:15..00:01:39, 9.69 % of the weight
}

TEST(MinuteFilter, NinetyPercentRuleForGapsOfEverySizeAroundTheMinute) {
    const std::int64_t minute = kDay + 600;
    int computed = 0, missing = 0;
    for (int from = -45; from <= 45; ++from) {
        for (int to = from; to <= 45; ++to) {
            std::map<std::int64_t, double> seconds;
            for (int k = -45; k <= 45; ++k)
                if (k < from || k > to) seconds[minute + k] = signal(minute + k);
            const FieldValue v = MinuteFilter::evaluate(minute, [&](std::int64_t t) {
                const auto it = seconds.find(t);
                const double x = it == seconds.end() ? kNaN : it->second;
                return FieldValue{t, x, x, kNaN};
            });
            const double expected = direct(minute, seconds);
            if (std::isnan(expected)) {
                ++missing;
                ASSERT_TRUE(std::isnan(v.x)) << "gap " << from << ".." << to;
            } else {
                ++computed;
                ASSERT_NEAR(v.x, expected, 1e-9) << "gap " << from << ".." << to;
            }
            ASSERT_TRUE(std::isnan(v.z));
        }
    }
    EXPECT_GT(computed, 100);
    EXPECT_GT(missing, 1000);
}

TEST(MinuteFilter, TheRuleAtItsEdge) {
    // Without the centre and its neighbours (t0 + 2 t1 = 7.55 % of the weight) the
    // value is computed; without two neighbours on each side (12.54 %) it is not. At
    // the rim, leaving out k = 21..45 on one side takes 9.69 % and the value stays;
    // k = 20..45 takes 10.83 % and it goes.
    const std::int64_t minute = kDay + 600;
    const auto without = [&](int from, int to) {
        return MinuteFilter::evaluate(minute, [&](std::int64_t t) {
            const std::int64_t k = t - minute;
            const double x = (k >= from && k <= to) ? kNaN : signal(t);
            return FieldValue{t, x, x, x};
        });
    };
    EXPECT_FALSE(std::isnan(without(-1, 1).x));
    EXPECT_TRUE(std::isnan(without(-2, 2).x));
    EXPECT_FALSE(std::isnan(without(21, 45).y));
    EXPECT_TRUE(std::isnan(without(20, 45).y));
    EXPECT_FALSE(std::isnan(without(-45, -21).z));
    EXPECT_TRUE(std::isnan(without(-45, -20).z));
}

TEST(MinuteFilter, EachComponentFollowsTheRuleOnItsOwn) {
    const FieldValue v = MinuteFilter::evaluate(kDay, [](std::int64_t t) {
        const std::int64_t k = t - kDay;
        return FieldValue{t, 1.0, k < 0 ? kNaN : 2.0, k % 15 == 0 ? kNaN : 3.0};
    });
    EXPECT_NEAR(v.x, 1.0, 1e-12);
    EXPECT_TRUE(std::isnan(v.y));
    EXPECT_NEAR(v.z, 3.0, 1e-12);
}

TEST(MinuteFilter, HandsOutAMinuteWhenTheSecondFortyFiveLaterIsIn) {
    std::vector<FieldValue> minutes;
    MinuteFilter filter([&](const FieldValue& v) { minutes.push_back(v); });
    for (std::int64_t t = kDay - 50; t < kDay + 45; ++t) ASSERT_TRUE(filter.add({t, 5, 5, 5}));
    ASSERT_EQ(minutes.size(), 1u);  // 23:59:00, its window ends at 23:59:45
    EXPECT_EQ(minutes[0].time, kDay - 60);
    ASSERT_TRUE(filter.add({kDay + 45, 5, 5, 5}));
    ASSERT_EQ(minutes.size(), 2u);
    EXPECT_EQ(minutes[1].time, kDay);
    EXPECT_DOUBLE_EQ(minutes[1].x, 5.0);
    EXPECT_FALSE(filter.add({kDay + 45, 5, 5, 5}));
    // Seconds skipped in the input count as missing; the minutes in between come out.
    ASSERT_TRUE(filter.add({kDay + 400, 5, 5, 5}));
    ASSERT_EQ(minutes.size(), 7u);
    for (std::size_t i = 2; i < minutes.size(); ++i) {
        EXPECT_EQ(minutes[i].time, kDay + 60 * static_cast<std::int64_t>(i - 1));
        EXPECT_TRUE(std::isnan(minutes[i].x));
    }
}

class ThrowingListener final : public FieldValueListener {
public:
    void valueReady(Interval, const FieldValue&) override {
        if (fail) throw std::runtime_error("disk full");
    }
    bool fail = true;
};

TEST(FilterChain, EveryListenerGetsBothIntervalsAndAFailingOneIsLoggedOncePerEpisode) {
    fakes::RecordingLog log;
    FilterChain chain(&log);
    ThrowingListener failing;
    testing::CollectingListener values;
    chain.addListener(failing, "IAGA-2002 files");
    chain.addListener(values, "publisher");
    for (std::int64_t t = kDay; t < kDay + 200; ++t) {
        if (t == kDay + 150) failing.fail = false;
        const std::vector<double> one{7.0};
        ASSERT_TRUE(chain.addSecond(t, 1, one, one, one));
    }
    chain.finish();
    ASSERT_EQ(values.seconds.size(), 212u);
    EXPECT_EQ(values.seconds.front().time, kDay);
    EXPECT_NEAR(values.seconds[100].x, 7.0, 1e-9);
    ASSERT_EQ(values.minutes.size(), 5u);  // up to 00:04:00, which reaches back to 00:03:15
    EXPECT_EQ(values.minutes.front().time, kDay);
    EXPECT_NEAR(values.minutes[1].z, 7.0, 1e-9);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"IAGA-2002 files: disk full", "IAGA-2002 files: working again"}));

    // One-second values from a file go to the listeners as they are and into the minutes.
    FilterChain fromFile;
    testing::CollectingListener fileValues;
    fromFile.addListener(fileValues, "files");
    for (std::int64_t t = kDay; t < kDay + 120; ++t) ASSERT_TRUE(fromFile.addSecondValue({t, 1.5, kNaN, 2.5}));
    EXPECT_FALSE(fromFile.addSecondValue({kDay + 119, 0, 0, 0}));
    fromFile.finish();
    ASSERT_EQ(fileValues.seconds.size(), 120u);
    EXPECT_EQ(fileValues.seconds[7].x, 1.5);
    ASSERT_EQ(fileValues.minutes.size(), 3u);
    EXPECT_DOUBLE_EQ(fileValues.minutes[1].x, 1.5);
    EXPECT_TRUE(std::isnan(fileValues.minutes[1].y));
}

}  // namespace
}  // namespace zuva::products

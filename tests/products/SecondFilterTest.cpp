#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <string>

#include "FilterSignals.h"
#include "products/FilterChain.h"
#include "products/SecondFilter.h"
#include "products/SecondFilterKernel.h"

namespace zuva::products {
namespace {

using testing::CollectingListener;
using testing::synthSecond;

constexpr std::int64_t kStart = 1773446400;  // 2026-03-14 00:00:00 UTC
const double kPi = std::numbers::pi;

// Runs `seconds` seconds of a field through the chain at a rate and returns the
// one-second values.
std::vector<FieldValue> filtered(int rate, int seconds, const std::function<double(double)>& field) {
    FilterChain chain;
    CollectingListener values;
    chain.addListener(values, "values");
    for (int i = 0; i < seconds; ++i) {
        const auto s = synthSecond(kStart + i, rate, field);
        EXPECT_TRUE(chain.addSecond(kStart + i, rate, s.x, s.y, s.z));
    }
    chain.finish();
    return values.seconds;
}

// The values whose whole window lies inside the data.
template <typename Check>
void forInnerValues(const std::vector<FieldValue>& values, int seconds, Check check) {
    ASSERT_EQ(values.size(), static_cast<std::size_t>(seconds + SecondFilterKernel::kBefore));
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].time, kStart + static_cast<std::int64_t>(i));
        if (i >= 12 && i + 12 <= static_cast<std::size_t>(seconds)) check(values[i]);
    }
}

struct Signal {
    const char* name;
    int rate;
    std::function<double(double)> field;
    std::function<double(double)> expected;  // the value at the second
    double tolerance;
};

class OneSecondValues : public ::testing::TestWithParam<Signal> {};

TEST_P(OneSecondValues, MatchTheFieldAtTheSecond) {
    const Signal& c = GetParam();
    const int seconds = 200;
    forInnerValues(filtered(c.rate, seconds, c.field), seconds, [&](const FieldValue& v) {
        const double t = static_cast<double>(v.time - kStart);
        ASSERT_NEAR(v.x, c.expected(t), c.tolerance) << "at second " << t;
        ASSERT_NEAR(v.y, -c.expected(t), c.tolerance) << "at second " << t;
        ASSERT_NEAR(v.z, 2.0 * c.expected(t), 2.0 * c.tolerance) << "at second " << t;
    });
}

double constant(double) { return 48123.45; }
double ramp(double t) { return 20000.0 + 0.37 * (t - kStart); }
double slowSine(double t) { return 100.0 * std::sin(2 * kPi * (t - kStart) / 300.0 + 0.3); }
double fastSine(double t) { return 10.0 * std::sin(2 * kPi * 2.5 * (t - kStart) + 0.7); }
double nyquistSine(double t) { return 10.0 * std::sin(2 * kPi * 0.5 * (t - kStart) + 0.2); }
double passSine(double t) { return 10.0 * std::sin(2 * kPi * 0.2 * (t - kStart) + 1.1); }
double zero(double) { return 0.0; }

std::function<double(double)> atSecond(double (*f)(double)) {
    return [f](double t) { return f(t + kStart); };
}

std::vector<Signal> signals() {
    std::vector<Signal> out;
    for (const int rate : {1, 64, 256}) {
        const std::string r = std::to_string(rate);
        out.push_back({"Constant", rate, constant, atSecond(constant), 1e-8});
        out.push_back({"Ramp", rate, ramp, atSecond(ramp), 1e-6});
        out.push_back({"SlowSine", rate, slowSine, atSecond(slowSine), 0.02});
        out.push_back({"FastSine2p5Hz", rate, fastSine, zero, 0.1});
    }
    // From rates above 1 Hz the pass band reaches 0.2 Hz and the Nyquist frequency of
    // the one-second values is stopped.
    for (const int rate : {64, 256}) {
        out.push_back({"PassBand0p2Hz", rate, passSine, atSecond(passSine), 0.01});
        out.push_back({"Nyquist0p5Hz", rate, nyquistSine, zero, 0.01});
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Signals, OneSecondValues, ::testing::ValuesIn(signals()),
                         [](const ::testing::TestParamInfo<Signal>& p) {
                             return std::string(p.param.name) + "At" + std::to_string(p.param.rate) + "Hz";
                         });

TEST(SecondFilter, StreamingGivesTheValuesOfADirectEvaluation) {
    std::map<std::int64_t, testing::SynthSecond> data;
    std::vector<FieldValue> out;
    SecondFilter filter([&](const FieldValue& v) { out.push_back(v); });
    for (int i = 0; i < 120; ++i) {
        if (i >= 50 && i < 53) continue;  // a short gap
        const int rate = i < 80 ? 16 : 4;  // and a change of rate
        data[kStart + i] = synthSecond(kStart + i, rate, slowSine);
        filter.add(kStart + i, rate, data[kStart + i].x, data[kStart + i].y, data[kStart + i].z);
    }
    filter.finish();
    const auto lookup = [&](std::int64_t t) {
        const auto it = data.find(t);
        if (it == data.end()) return SecondFilter::Second{};
        return SecondFilter::Second{static_cast<int>(it->second.x.size()), it->second.x.data(), it->second.y.data(),
                                    it->second.z.data()};
    };
    ASSERT_EQ(out.size(), 120u + 12u);
    std::size_t computed = 0;
    for (const FieldValue& v : out) {
        const FieldValue direct = SecondFilter::evaluate(v.time, lookup);
        if (std::isnan(direct.x)) {
            EXPECT_TRUE(std::isnan(v.x)) << v.time - kStart;
            continue;
        }
        ++computed;
        EXPECT_EQ(v.x, direct.x) << v.time - kStart;
        EXPECT_EQ(v.z, direct.z) << v.time - kStart;
    }
    EXPECT_GT(computed, 90u);
}

TEST(SecondFilter, HandsOutEachValueOnceWhenTheSecondElevenLaterIsIn) {
    std::vector<FieldValue> out;
    SecondFilter filter([&](const FieldValue& v) { out.push_back(v); });
    const auto s = synthSecond(0, 1, constant);
    for (int i = 0; i < 11; ++i) ASSERT_TRUE(filter.add(kStart + i, 1, s.x, s.y, s.z));
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(filter.add(kStart + 11, 1, s.x, s.y, s.z));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].time, kStart);
    for (int i = 12; i < 30; ++i) ASSERT_TRUE(filter.add(kStart + i, 1, s.x, s.y, s.z));
    ASSERT_EQ(out.size(), 19u);
    // A second that is not later than the last one is left out.
    EXPECT_FALSE(filter.add(kStart + 29, 1, s.x, s.y, s.z));
    EXPECT_FALSE(filter.add(kStart + 3, 1, s.x, s.y, s.z));
    // A gap of 100 s: every second in between comes out once, missing as NaN.
    ASSERT_TRUE(filter.add(kStart + 129, 1, s.x, s.y, s.z));
    ASSERT_EQ(out.size(), 119u);
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i].time, kStart + static_cast<std::int64_t>(i));
    EXPECT_TRUE(std::isnan(out[0].x));  // only half of its window holds data
    EXPECT_NEAR(out[12].x, constant(0), 1e-8);
    EXPECT_NEAR(out[17].z, 2.0 * constant(0), 1e-8);
    EXPECT_TRUE(std::isnan(out[40].x));
    EXPECT_TRUE(std::isnan(out[118].x));
}

TEST(SecondFilter, AGapLongerThanAnHourEndsTheValuesAndBeginsThemAgain) {
    std::vector<FieldValue> out;
    SecondFilter filter([&](const FieldValue& v) { out.push_back(v); });
    const auto s = synthSecond(0, 2, constant);
    filter.add(kStart, 2, s.x, s.y, s.z);
    filter.add(kStart + 1 + SecondFilter::kMaxBridgedGap + 1, 2, s.x, s.y, s.z);
    ASSERT_EQ(out.size(), 13u);  // kStart .. kStart + 12, where the one second stops reaching
    EXPECT_EQ(out.back().time, kStart + 12);
    filter.finish();
    ASSERT_EQ(out.size(), 26u);
    EXPECT_EQ(out[13].time, kStart + 3602);
    EXPECT_EQ(out.back().time, kStart + 3602 + 12);
}

TEST(SecondFilter, RefusesRatesWithoutWeightsAndSpansOfTheWrongLength) {
    SecondFilter filter([](const FieldValue&) {});
    const std::vector<double> three(3, 1.0), two(2, 1.0);
    EXPECT_THROW(filter.add(kStart, 3, three, three, three), std::invalid_argument);
    EXPECT_THROW(filter.add(kStart, 2, two, two, three), std::invalid_argument);
}

// The share of the kernel's weight that the seconds outside [from, to] (relative to
// the output second) carry at a rate, by the kernel function itself.
double presentShare(int rate, int from, int to) {
    double all = 0, present = 0;
    for (int d = -SecondFilterKernel::kBefore; d <= SecondFilterKernel::kAfter; ++d) {
        for (int k = 0; k < rate; ++k) {
            const double w = SecondFilterKernel::at(d + SecondFilterKernel::sampleOffset(rate, k));
            all += w;
            if (d < from || d > to) present += w;
        }
    }
    return present / all;
}

TEST(SecondFilter, NinetyPercentRuleForGapsOfEverySizeAroundTheSecond) {
    for (const int rate : {1, 8}) {
        int computedCases = 0, missingCases = 0;
        for (int from = -SecondFilterKernel::kBefore; from <= SecondFilterKernel::kAfter; ++from) {
            for (int to = from; to <= SecondFilterKernel::kAfter; ++to) {
                std::map<std::int64_t, testing::SynthSecond> data;
                for (int d = -SecondFilterKernel::kBefore; d <= SecondFilterKernel::kAfter; ++d)
                    if (d < from || d > to) data[kStart + d] = synthSecond(kStart + d, rate, ramp);
                const FieldValue v = SecondFilter::evaluate(kStart, [&](std::int64_t t) {
                    const auto it = data.find(t);
                    if (it == data.end()) return SecondFilter::Second{};
                    return SecondFilter::Second{rate, it->second.x.data(), it->second.y.data(), it->second.z.data()};
                });
                const double share = presentShare(rate, from, to);
                if (share >= 0.9 + 1e-9) {
                    ++computedCases;
                    // The renormalised weights still put the value at the second
                    // for a field that changes linearly, up to the shift of the gap.
                    ASSERT_FALSE(std::isnan(v.x)) << rate << " Hz, gap " << from << ".." << to;
                    ASSERT_NEAR(v.x, ramp(kStart), 0.37 * 2.5) << rate << " Hz, gap " << from << ".." << to;
                } else if (share < 0.9 - 1e-9) {
                    ++missingCases;
                    ASSERT_TRUE(std::isnan(v.x)) << rate << " Hz, gap " << from << ".." << to << " share " << share;
                }
            }
        }
        EXPECT_GT(computedCases, 20);
        EXPECT_GT(missingCases, 100);
    }
}

}  // namespace
}  // namespace zuva::products

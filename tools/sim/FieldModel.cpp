#include "tools/sim/FieldModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zuva::sim {

namespace {
constexpr double kBase[3] = {21000.0, -4500.0, 43000.0};
constexpr double kAmplitude[3] = {250.0, 120.0, 400.0};
constexpr double kPeriodSeconds[3] = {300.0, 420.0, 600.0};
// The daily variation, with its own phase on each axis; a day from the start.
constexpr double kDailyAmplitude[3] = {300.0, 150.0, 200.0};
constexpr double kDailyPhase[3] = {0.0, 1.5, 3.0};
constexpr double kDaySeconds = 86400.0;
constexpr int kGain[4] = {1, 10, 100, 1000};
constexpr std::int64_t kMax = 8388607;
constexpr std::int64_t kMin = -8388608;

// A deterministic noise of -8..+8 counts.
int noise(std::int64_t sample, int axis) {
    auto x = static_cast<std::uint64_t>(sample) * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(axis) * 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 29;
    return static_cast<int>(x % 17) - 8;
}
}  // namespace

std::int32_t FieldModel::count(std::int64_t sample, int axis, int gainCode, bool calibration) {
    const double t = static_cast<double>(sample) / 256.0;
    double value = kBase[axis] + kAmplitude[axis] * std::sin(2.0 * std::numbers::pi * t / kPeriodSeconds[axis]) +
                   kDailyAmplitude[axis] * std::sin(2.0 * std::numbers::pi * t / kDaySeconds + kDailyPhase[axis]) +
                   noise(sample, axis);
    if (calibration && sample % 256 < 128) value += 5000.0;
    const auto scaled = static_cast<std::int64_t>(std::llround(value)) * kGain[gainCode & 3];
    return static_cast<std::int32_t>(std::clamp(scaled, kMin, kMax));
}

}  // namespace zuva::sim

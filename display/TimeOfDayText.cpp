#include "display/TimeOfDayText.h"

#include <cmath>
#include <cstdio>

namespace zuva::display {

std::string TimeOfDayText::format(double dayFraction) {
    const double ms = dayFraction * kMillisecondsPerDay;
    // Beyond about 292 million years llround overflows; no axis of this program gets there.
    if (!std::isfinite(ms) || std::fabs(ms) > 9.0e15) return {};
    long long total = std::llround(ms);
    const bool negative = total < 0;
    if (negative) total = -total;
    const long long hours = total / 3'600'000;
    const long long minutes = total / 60'000 % 60;
    const long long seconds = total / 1000 % 60;
    const long long millis = total % 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld.%03lld", negative ? "-" : "", hours, minutes,
                  seconds, millis);
    return text;
}

}  // namespace zuva::display

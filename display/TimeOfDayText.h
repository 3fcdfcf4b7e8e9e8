#pragma once

#include <string>

namespace zuva::display {

// The time-of-day label of the chart time axes: "hh:mm:ss.zzz", the milliseconds
// always three digits, so 10:20:30.005 never reads as half a second.
class TimeOfDayText {
public:
    static constexpr double kMillisecondsPerDay = 86'400'000.0;

    // dayFraction is the time of day as a fraction of a day, rounded to the nearest
    // millisecond. Times past the day keep counting hours (1.0 is "24:00:00.000"),
    // times before it get a leading "-"; a value that is not a number gives "".
    static std::string format(double dayFraction);
};

}  // namespace zuva::display

#pragma once

#include <string>

namespace zuva::acquisition {

// A time of day to the second (00:00:00 .. 23:59:59 once read from a frame).
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const TimeOfDay&) const = default;
    bool isMidnight() const { return hour == 0 && minute == 0 && second == 0; }
};

// "HH MM SS": two digits each, single blanks between (the TimeText of a frame).
std::string timeText(const TimeOfDay& t);
// "HHMMSS" (the time part of a data file name).
std::string fileTimeText(const TimeOfDay& t);
// Two decimal digits with a leading zero (0..99).
std::string twoDigits(int value);

}  // namespace zuva::acquisition

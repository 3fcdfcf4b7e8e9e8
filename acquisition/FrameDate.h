#pragma once

#include <string>

namespace zuva::acquisition {

// A calendar date as the instrument's clock gives it (year 2000..2099).
struct FrameDate {
    int year = 2000;
    int month = 1;
    int day = 1;

    bool operator==(const FrameDate&) const = default;
};

// "YYYY MM DD": four-digit year, two-digit month and day, single blanks between
// (the DateText of a frame).
std::string dateText(const FrameDate& d);
// "YYYYMMDD" (the date part of a data file name).
std::string fileDateText(const FrameDate& d);
// Days of the month in the Gregorian calendar (0 for a month outside 1..12).
int daysInMonth(int year, int month);

}  // namespace zuva::acquisition

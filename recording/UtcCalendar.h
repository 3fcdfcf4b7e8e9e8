#pragma once

#include <cstdint>

namespace zuva::recording {

// A UTC calendar date and time of day.
struct UtcDateTime {
    int year = 1970;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Conversions between UTC calendar dates and seconds since 1970-01-01 00:00:00 UTC
// (proleptic Gregorian calendar, no leap seconds), without the C library's time zone.
class UtcCalendar {
public:
    static std::int64_t daysFromCivil(int year, int month, int day);
    static std::int64_t toEpoch(const UtcDateTime& t);
    static UtcDateTime fromEpoch(std::int64_t seconds);
    // 1..366
    static int dayOfYear(int year, int month, int day);
    static bool validDate(int year, int month, int day);
    // The start of the UTC day that holds `seconds`.
    static std::int64_t dayStart(std::int64_t seconds);
};

}  // namespace zuva::recording

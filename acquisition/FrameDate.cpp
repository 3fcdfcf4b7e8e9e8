#include "acquisition/FrameDate.h"

#include "acquisition/TimeOfDay.h"

namespace zuva::acquisition {

namespace {

std::string fourDigits(int value) { return twoDigits(value / 100) + twoDigits(value % 100); }

}  // namespace

std::string dateText(const FrameDate& d) {
    return fourDigits(d.year) + " " + twoDigits(d.month) + " " + twoDigits(d.day);
}

std::string fileDateText(const FrameDate& d) { return fourDigits(d.year) + twoDigits(d.month) + twoDigits(d.day); }

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace zuva::acquisition

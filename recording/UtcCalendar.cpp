#include "recording/UtcCalendar.h"

namespace zuva::recording {

namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::int64_t UtcCalendar::daysFromCivil(int year, int month, int day) {
    // Days counted in 400-year eras beginning on 1 March, so that the leap day ends a year.
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::int64_t UtcCalendar::toEpoch(const UtcDateTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * kDay + t.hour * 3600 + t.minute * 60 + t.second;
}

UtcDateTime UtcCalendar::fromEpoch(std::int64_t seconds) {
    const std::int64_t days = floorDiv(seconds, kDay);
    const std::int64_t rest = seconds - days * kDay;
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    UtcDateTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

int UtcCalendar::dayOfYear(int year, int month, int day) {
    return static_cast<int>(daysFromCivil(year, month, day) - daysFromCivil(year, 1, 1) + 1);
}

bool UtcCalendar::validDate(int year, int month, int day) {
    static constexpr int kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const int length = kLength[month - 1] + (month == 2 && leap(year) ? 1 : 0);
    return day <= length;
}

std::int64_t UtcCalendar::dayStart(std::int64_t seconds) { return floorDiv(seconds, kDay) * kDay; }

}  // namespace zuva::recording

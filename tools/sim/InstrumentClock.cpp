#include "tools/sim/InstrumentClock.h"

namespace zuva::sim {

namespace {

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

}  // namespace

int InstrumentClock::daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return kDays[(month - 1) % 12];
}

InstrumentClock::InstrumentClock(acquisition::FrameDateTime start)
    : startDay_(daysFromCivil(start.year, static_cast<unsigned>(start.month), static_cast<unsigned>(start.day))),
      startSecondOfDay_(start.hour * 3600 + start.minute * 60 + start.second) {}

acquisition::FrameDateTime InstrumentClock::at(std::int64_t secondsSinceStart) const {
    const std::int64_t total = startSecondOfDay_ + secondsSinceStart;
    std::int64_t day = startDay_ + total / 86400;
    std::int64_t second = total % 86400;
    if (second < 0) {
        second += 86400;
        --day;
    }
    acquisition::FrameDateTime t;
    civilFromDays(day, t.year, t.month, t.day);
    t.year = 2000 + ((t.year - 2000) % 100 + 100) % 100;
    t.hour = static_cast<int>(second / 3600);
    t.minute = static_cast<int>(second / 60 % 60);
    t.second = static_cast<int>(second % 60);
    return t;
}

}  // namespace zuva::sim

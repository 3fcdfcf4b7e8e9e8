#include "tools/sim/InstrumentClock.h"

#include "recording/UtcCalendar.h"

namespace zuva::sim {

int InstrumentClock::daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return kDays[(month - 1) % 12];
}

InstrumentClock::InstrumentClock(acquisition::FrameDateTime start)
    : startDay_(recording::UtcCalendar::daysFromCivil(start.year, start.month, start.day)),
      startSecondOfDay_(start.hour * 3600 + start.minute * 60 + start.second) {}

acquisition::FrameDateTime InstrumentClock::at(std::int64_t secondsSinceStart) const {
    const std::int64_t total = startSecondOfDay_ + secondsSinceStart;
    const recording::UtcDateTime d = recording::UtcCalendar::fromEpoch(startDay_ * 86400 + total);
    acquisition::FrameDateTime t;
    t.year = 2000 + ((d.year - 2000) % 100 + 100) % 100;
    t.month = d.month;
    t.day = d.day;
    t.hour = d.hour;
    t.minute = d.minute;
    t.second = d.second;
    return t;
}

}  // namespace zuva::sim

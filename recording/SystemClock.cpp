#include "recording/SystemClock.h"

#include <ctime>

namespace zuva::recording {

LocalDateTime SystemClock::now() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    LocalDateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // a leap second reads as :59
    t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
}

}  // namespace zuva::recording

#include "app/LastSecond.h"

#include <cstdio>

namespace zuva::app {

void LastSecond::secondCompleted(const acquisition::CompletedSecond& s) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", s.date.year, s.date.month, s.date.day,
                  s.time.hour, s.time.minute, s.time.second);
    text_ = text;
    gate_.secondArrived(service::WatchdogGate::Clock::now());
}

}  // namespace zuva::app

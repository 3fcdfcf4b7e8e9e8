#include "service/WatchdogGate.h"

namespace zuva::service {

void WatchdogGate::setSilenceAccounted(bool accounted, Clock::time_point now) {
    // When the reason for silence ends (a run starts, the port is back), the seconds
    // get the full allowance from that moment on.
    if (accounted_ && !accounted) {
        last_ = now;
        seen_ = true;
    }
    accounted_ = accounted;
}

bool WatchdogGate::mayFeed(Clock::time_point now) const {
    if (accounted_) return true;
    if (!seen_) return false;
    return now - last_ <= allowed_;
}

}  // namespace zuva::service

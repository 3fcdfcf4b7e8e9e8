#pragma once

#include "acquisition/RetryTimer.h"
#include "app/QtOneShot.h"

namespace zuva::app {

// The retry timer on the main thread; setOnTimeout gives what runs when the
// interval has passed (the reconnection's RetryTimerTimer).
class QtRetryTimer final : public acquisition::RetryTimer, public QtOneShot {
public:
    void start(int intervalMs) override { timer_.start(intervalMs); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
};

}  // namespace zuva::app

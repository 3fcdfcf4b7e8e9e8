#pragma once

#include <QTimer>

#include <functional>

#include "acquisition/RetryTimer.h"

namespace zuva::app {

// The retry timer on a one-shot QTimer of the main thread.
class QtRetryTimer final : public acquisition::RetryTimer {
public:
    QtRetryTimer();
    // What runs when the interval has passed (the reconnection's RetryTimerTimer).
    void setOnTimeout(std::function<void()> onTimeout) { onTimeout_ = std::move(onTimeout); }

    void start(int intervalMs) override { timer_.start(intervalMs); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> onTimeout_;
};

}  // namespace zuva::app

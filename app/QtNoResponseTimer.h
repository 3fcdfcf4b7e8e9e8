#pragma once

#include <QTimer>

#include <functional>

#include "acquisition/NoResponseTimer.h"

namespace zuva::app {

// The 5-second no-response timer on a one-shot QTimer of the main thread.
class QtNoResponseTimer final : public acquisition::NoResponseTimer {
public:
    QtNoResponseTimer();
    // What runs when the 5000 ms have passed (the run's Timer5Timer).
    void setOnTimeout(std::function<void()> onTimeout) { onTimeout_ = std::move(onTimeout); }

    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> onTimeout_;
};

}  // namespace zuva::app

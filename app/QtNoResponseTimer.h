#pragma once

#include "acquisition/NoResponseTimer.h"
#include "app/QtOneShot.h"

namespace zuva::app {

// The 5-second no-response timer on the main thread; setOnTimeout gives what runs
// when the 5000 ms have passed (the run's Timer5Timer).
class QtNoResponseTimer final : public acquisition::NoResponseTimer, public QtOneShot {
public:
    void start() override { timer_.start(kIntervalMs); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
};

}  // namespace zuva::app

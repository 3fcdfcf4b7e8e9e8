#pragma once

#include "acquisition/NoResponseTimer.h"

namespace zuva::fakes {

// A no-response timer that only remembers whether it runs and how often it was
// started and stopped; tests fire it themselves.
class FakeTimer final : public acquisition::NoResponseTimer {
public:
    void start() override {
        active = true;
        ++starts;
    }
    void stop() override {
        active = false;
        ++stops;
    }
    bool isActive() const override { return active; }

    bool active = false;
    int starts = 0;
    int stops = 0;
};

}  // namespace zuva::fakes

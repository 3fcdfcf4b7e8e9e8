#pragma once

#include <vector>

#include "acquisition/RetryTimer.h"

namespace zuva::fakes {

// A retry timer that only remembers the intervals it was started with and whether
// it runs; tests fire it themselves.
class FakeRetryTimer final : public acquisition::RetryTimer {
public:
    void start(int intervalMs) override {
        active = true;
        intervals.push_back(intervalMs);
    }
    void stop() override {
        active = false;
        ++stops;
    }
    bool isActive() const override { return active; }

    bool active = false;
    std::vector<int> intervals;
    int stops = 0;
};

}  // namespace zuva::fakes

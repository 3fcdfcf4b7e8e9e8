#pragma once

#include <cstddef>
#include <span>

#include "acquisition/ChartFeed.h"

namespace zuva::fakes {

// Chart series for long runs: keeps no points, only counts them and notices points
// that run backwards in time without a clearing between them.
class CountingChartFeed final : public acquisition::ChartFeed {
public:
    void addPoints(std::span<const acquisition::ChartPoint> points) override {
        for (const acquisition::ChartPoint& p : points) {
            if (p.x < lastX && resetsSinceLast == 0) ++descending;
            lastX = p.x;
            resetsSinceLast = 0;
        }
        total += points.size();
    }
    void ResetAxisAndSeries() override {
        ++resetsSinceLast;
        ++resets;
        lastX = -1;
    }

    double lastX = -1;
    int resetsSinceLast = 0;
    int resets = 0;
    std::size_t total = 0;
    int descending = 0;
};

}  // namespace zuva::fakes

#pragma once

#include <span>

namespace zuva::acquisition {

// One instant of the live charts: x is the time of day as a fraction of a day
// (0 <= x < 1), the values are the field in nT.
struct ChartPoint {
    double x = 0.0;
    double bx = 0.0;
    double by = 0.0;
    double bz = 0.0;
};

// The three live chart series (Bx, By, Bz). Points arrive once per completed
// second as one batch; the chart applies its window rule point by point and
// redraws once per batch, later, never per point.
class ChartFeed {
public:
    virtual ~ChartFeed() = default;
    virtual void addPoints(std::span<const ChartPoint> points) = 0;
    // Removes every point of the three series, Bx, By, Bz in that order.
    virtual void ResetAxisAndSeries() = 0;
};

}  // namespace zuva::acquisition

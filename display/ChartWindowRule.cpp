#include "display/ChartWindowRule.h"

#include <algorithm>

namespace zuva::display {

bool ChartWindowRule::setPointsOnScreen(int points) {
    const int clamped = std::clamp(points, 1, kLargestPointsOnScreen);
    pointsOnScreen_ = clamped;
    return clamped == points;
}

int ChartWindowRule::pointsToDelete(int count) const {
    if (count <= 0) return 0;
    int remove = lastDrawnIndex_ > pointsOnScreen_ ? 1 : 0;
    const int excess = count - remove - countLimit();
    if (excess > 0) remove += excess;
    return std::min(remove, count);
}

}  // namespace zuva::display

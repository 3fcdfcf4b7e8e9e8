#pragma once

namespace zuva::display {

// The sliding window of the live charts, per point added to each series:
//  - the drawn rule: when the last drawn index of Series0 (the point count - 1 at the
//    latest redraw) is greater than PointsOnScreen, the point at index 0 of each
//    series goes, at most one per point;
//  - the count rule: a series never holds more than PointsOnScreen + 1 + 256 points
//    (256 = the most instants of one second). With a redraw after every second the
//    drawn rule alone keeps a series at or below that, so this only bites while no
//    redraw happens (window hidden or minimized, main thread busy) or after
//    PointsOnScreen was made smaller; then the oldest points beyond it go at once.
class ChartWindowRule {
public:
    static constexpr int kMostPointsPerSecond = 256;
    static constexpr int kInitialPointsOnScreen = 3840;  // 64 Hz x 1 minute
    static constexpr int kLargestPointsOnScreen = 921'600;

    // Values outside 1..kLargestPointsOnScreen are clamped; returns false when it had to.
    bool setPointsOnScreen(int points);
    int pointsOnScreen() const { return pointsOnScreen_; }
    int countLimit() const { return pointsOnScreen_ + 1 + kMostPointsPerSecond; }

    // A redraw of Series0 showed pointCount points.
    void noteDrawn(int pointCount) { lastDrawnIndex_ = pointCount - 1; }
    int lastDrawnIndex() const { return lastDrawnIndex_; }

    // How many points to delete from the front of every series right after one point
    // was added to each, the series now holding `count` points.
    int pointsToDelete(int count) const;

private:
    int pointsOnScreen_ = kInitialPointsOnScreen;
    int lastDrawnIndex_ = -1;
};

}  // namespace zuva::display

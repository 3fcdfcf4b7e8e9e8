#pragma once

#include <cstdint>
#include <functional>

namespace zuva::settings {

// What the Options model tells the rest of the program. Every hook is optional.
struct OptionsHooks {
    // Sensitivity (nT per bit) taken over: at creation, "Apply" and Edit1Change.
    std::function<void(double sensitivity)> sensitivityChanged;
    // Averaging and the group count per second (255 div Averaging), always together.
    std::function<void(std::uint16_t averaging, std::uint8_t groupCountPerSecond)> averagingChanged;
    // PointsOnScreen: the most points a chart series keeps.
    std::function<void(std::int32_t pointsOnScreen)> pointsOnScreenChanged;
    // Clear the three real-time chart series (the minutes on screen changed).
    std::function<void()> resetChartSeries;
    // "Every hour" chosen: set the hour of the current file to the hour of the most
    // recently decoded record, so the next file begins at the next change of hour.
    std::function<void()> followCurrentHour;
    // "Every midnight" chosen: the next file begins at the next change of date.
    std::function<void()> followMidnight;
    // Any text, selection, enabled state or visibility of the dialog changed.
    std::function<void()> changed;
};

}  // namespace zuva::settings

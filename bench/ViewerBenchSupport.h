#pragma once

// What the viewer benchmarks share: reading the process's memory figures and timing
// the redraw of a span of the day.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "display/FileViewerPlot.h"

namespace zuva::bench {

inline constexpr int kSecondsPerDay = 86400;

// A "VmRSS"/"VmHWM"-style line of /proc/self/status, in kilobytes (0 when absent).
inline long statusKilobytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
    }
    return 0;
}

// One redraw per iteration with state.range(0) seconds from noon on screen (the
// whole file from a day on).
inline void timeRedraws(benchmark::State& state, display::FileViewerPlot& viewer) {
    const double seconds = static_cast<double>(state.range(0));
    const double from = 43200.0 / kSecondsPerDay;
    if (seconds >= kSecondsPerDay) {
        viewer.resetView();
    } else {
        viewer.setVisibleRange(QCPRange(from, from + seconds / kSecondsPerDay));
    }
    for (auto _ : state) {
        viewer.refreshNow();
        viewer.replot();
    }
    state.counters["points_per_graph"] = viewer.componentGraph(0)->dataCount();
}

}  // namespace zuva::bench

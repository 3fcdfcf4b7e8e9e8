// The viewer plot with a generated 256 Hz day (22,118,400 samples per component,
// generated in memory block by block, as the file loader hands them) and the live
// charts at 256 Hz with one minute on screen. Runs offscreen.
//
// Figures to compare within one run:
//  - ViewerLoadAndFirstDraw vs BaselineConvertDay: storing the day in the viewer and
//    drawing it once, against a bare loop that converts the same samples into plain
//    arrays (goal: within 2x);
//  - ViewerRedraw/WholeDay and /OneMinute: one redraw after a zoom or pan;
//  - bytes_per_triple of the viewer against the data file's 12 + 4/256;
//  - LiveChartsSecond: CPU time per recorded second, feed and redraw of the three
//    charts, against LiveChartsEmptyRedraw (the same redraw with no points);
//  - LiveRedraw/230400 (64 Hz, 60 minutes on screen) and /921600 (256 Hz, 60 minutes)
//    against LiveRedraw/15360 (64 Hz, 4 minutes): one redraw of the three full charts
//    (goal: within 1.5x; the charts draw a min/max envelope per pixel column), and
//    LiveSecond/N: the same windows with one new second before each redraw.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "display/FileViewerPlot.h"
#include "ViewerBenchSupport.h"
#include "display/LiveCharts.h"

namespace {

using zuva::bench::statusKilobytes;

constexpr int kRate = 256;
using zuva::bench::kSecondsPerDay;
constexpr std::size_t kSamplesPerDay = std::size_t{kRate} * kSecondsPerDay;

// One second of samples of a slowly wandering field with noise, as nT.
struct Generator {
    std::uint32_t state = 12345;
    double bx = 20000, by = -3000, bz = 45000;
    std::vector<double> t = std::vector<double>(kRate), x = t, y = t, z = t;

    void second(int s) {
        for (int i = 0; i < kRate; ++i) {
            state = state * 1664525u + 1013904223u;
            const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
            bx += noise * 0.02;
            by -= noise * 0.01;
            bz += noise * 0.03;
            const auto k = static_cast<std::size_t>(i);
            t[k] = s + static_cast<double>(i) / kRate;
            x[k] = bx;
            y[k] = by;
            z[k] = bz;
        }
    }
};

std::unique_ptr<zuva::display::FileViewerPlot> g_viewer;

zuva::display::FileViewerPlot& loadedViewer() {
    if (!g_viewer) {
        g_viewer = std::make_unique<zuva::display::FileViewerPlot>();
        g_viewer->resize(843, 520);
        g_viewer->show();
        Generator gen;
        for (int s = 0; s < kSecondsPerDay; ++s) {
            gen.second(s);
            g_viewer->appendBlock(gen.t.data(), gen.x.data(), gen.y.data(), gen.z.data(), kRate);
        }
        g_viewer->resetView();
        g_viewer->replot();
    }
    return *g_viewer;
}

// Runs first, before the process holds any other large allocation, so that its peak
// resident size is its own.
void ViewerLoadAndFirstDraw(benchmark::State& state) {
    for (auto _ : state) {
        g_viewer.reset();
        const long rssBefore = statusKilobytes("VmRSS");
        zuva::display::FileViewerPlot& viewer = loadedViewer();
        benchmark::DoNotOptimize(viewer.componentGraph(0)->dataCount());
        const double n = static_cast<double>(viewer.samples().size());
        state.counters["bytes_per_triple"] = static_cast<double>(viewer.samples().memoryBytes()) / n;
        state.counters["peak_rss_bytes_per_triple"] =
            static_cast<double>(statusKilobytes("VmHWM") - rssBefore) * 1024.0 / n;
        state.counters["file_bytes_per_triple"] = 12.0 + 4.0 / kRate;
        state.counters["samples"] = n;
    }
}
BENCHMARK(ViewerLoadAndFirstDraw)->Iterations(1)->Unit(benchmark::kMillisecond);

void BaselineConvertDay(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> t;
        std::vector<float> x, y, z;
        t.reserve(kSamplesPerDay);
        x.reserve(kSamplesPerDay);
        y.reserve(kSamplesPerDay);
        z.reserve(kSamplesPerDay);
        Generator gen;
        for (int s = 0; s < kSecondsPerDay; ++s) {
            gen.second(s);
            for (int i = 0; i < kRate; ++i) {
                const auto k = static_cast<std::size_t>(i);
                t.push_back(gen.t[k]);
                x.push_back(static_cast<float>(gen.x[k]));
                y.push_back(static_cast<float>(gen.y[k]));
                z.push_back(static_cast<float>(gen.z[k]));
            }
        }
        benchmark::DoNotOptimize(x.data());
        benchmark::DoNotOptimize(t.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BaselineConvertDay)->Iterations(2)->Unit(benchmark::kMillisecond);

void ViewerRedraw(benchmark::State& state) { zuva::bench::timeRedraws(state, loadedViewer()); }
BENCHMARK(ViewerRedraw)->Arg(kSecondsPerDay)->Arg(60)->Arg(1)->Unit(benchmark::kMillisecond);

void ViewerRelease(benchmark::State& state) {
    for (auto _ : state) g_viewer.reset();
}
BENCHMARK(ViewerRelease)->Iterations(1)->Unit(benchmark::kMillisecond);

// The live charts fed second by second. The field makes the same picture whatever the
// window holds: a few slow swings across the window with a little noise, so that
// windows of different lengths are compared at equal drawing work.
struct LiveSetup {
    QWidget window;
    zuva::display::LiveCharts charts{&window};
    int second = 36000;
    int rate;
    double windowSeconds;
    std::uint32_t state = 99;

    explicit LiveSetup(int pointsOnScreen = kRate * 60, int sampleRate = kRate)
        : rate(sampleRate), windowSeconds(static_cast<double>(pointsOnScreen) / sampleRate) {
        for (int i = 0; i < 3; ++i) charts.chart(i)->setGeometry(16, 64 + 176 * i, 801, 170);
        window.resize(843, 722);
        window.show();
        charts.setPointsOnScreen(pointsOnScreen);
    }
    void feed() {
        std::vector<zuva::acquisition::ChartPoint> batch(static_cast<std::size_t>(rate));
        for (int i = 0; i < rate; ++i) {
            const double t = second + static_cast<double>(i) / rate;
            const double phase = 2.0 * M_PI * t / windowSeconds;
            state = state * 1664525u + 1013904223u;
            const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
            batch[static_cast<std::size_t>(i)] = {t / kSecondsPerDay, 20000 + 10 * std::sin(3 * phase) + noise,
                                                  -3000 + 5 * std::cos(5 * phase) + noise, 45000 + 0.001 * i};
        }
        ++second;
        charts.addPoints(batch);
    }
    void redraw() {
        for (int i = 0; i < 3; ++i) charts.chart(i)->replot();
    }
};

void LiveChartsSecond(benchmark::State& state) {
    LiveSetup live;
    for (int s = 0; s < 70; ++s) {  // a full window first
        live.feed();
        live.redraw();
    }
    for (auto _ : state) {
        live.feed();
        live.redraw();
    }
    state.counters["points_per_series"] = live.charts.pointCount(0);
}
BENCHMARK(LiveChartsSecond)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void LiveChartsEmptyRedraw(benchmark::State& state) {
    LiveSetup live;
    for (auto _ : state) live.redraw();
}
BENCHMARK(LiveChartsEmptyRedraw)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The window of state.range(0) points filled (no redraw while filling: the count rule
// keeps PointsOnScreen + 1 + 256 points; 64 Hz, or 256 Hz for the largest window),
// then per iteration one redraw of the three charts, after one more second when
// `newSecond` (the oldest points leave as it comes).
void timeFullWindow(benchmark::State& state, bool newSecond) {
    const int points = static_cast<int>(state.range(0));
    LiveSetup live(points, points > 230'400 ? 256 : 64);
    while (live.charts.pointCount(0) < points) live.feed();
    live.redraw();
    for (auto _ : state) {
        if (newSecond) live.feed();
        live.redraw();
    }
    state.counters["points_per_series"] = live.charts.pointCount(0);
}

void fullWindows(benchmark::internal::Benchmark* b) {
    b->Arg(15'360)->Arg(230'400)->Arg(921'600)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

void LiveRedraw(benchmark::State& state) { timeFullWindow(state, false); }
BENCHMARK(LiveRedraw)->Apply(fullWindows);

void LiveSecond(benchmark::State& state) { timeFullWindow(state, true); }
BENCHMARK(LiveSecond)->Apply(fullWindows);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

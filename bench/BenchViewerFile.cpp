// The main window opening a generated 256 Hz day file (86,400 records, about 265 MB)
// offscreen, as File / Open... does: header scan, records read on the loading thread,
// every sample into the viewer, the first full draw. The file is written once per run
// into ZUVA_BENCH_DIR (default: the system's temporary directory) and removed after.
//
// Figures to compare within one run:
//  - WindowOpenAndFirstDraw vs BaselineReadAndConvert: the whole open against a bare
//    read of the same file with the project's reader into plain arrays (time of day
//    as double, Bx, By, Bz as float), the baseline run first and alone (goal: within
//    1.5x);
//  - peak_rss_over_file_size of the open (goal: under 2);
//  - WindowRedraw/86400 and /60: one redraw of the whole day and of one minute.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/TForm1.h"
#include "display/FileViewerData.h"
#include "display/FileViewerPlot.h"
#include "GeneratedDataFile.h"
#include "ViewerBenchSupport.h"
#include "recording/DataFileHeaderComposer.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "recording/EventLog.h"
#include "recording/LogSink.h"
#include "recording/SecondRecordEncoder.h"

namespace {

using zuva::bench::statusKilobytes;

namespace fs = std::filesystem;
constexpr int kRate = 256;
using zuva::bench::kSecondsPerDay;

// Resets the peak resident size to the current one (Linux: clear_refs, value 5).
void resetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The day: a random walk of the three components, on the disk of ZUVA_BENCH_DIR.
struct DayFile {
    zuva::bench::GeneratedDataFile data;
    fs::path dir = data.dir;
    std::string name = data.name;
    std::uintmax_t size = data.size;

    DayFile()
        : data(zuva::bench::GeneratedDataFile::benchDirectory(), "zuva-bench", "20090819000000.zuv", headerInfo(),
               "benchmark day", kSecondsPerDay, field()) {}
    static zuva::recording::DataFileHeaderInfo headerInfo() {
        zuva::recording::DataFileHeaderInfo info;
        info.fileDate = "20090819";
        info.fileTime = "000000";
        info.dateText = "2009 08 19";
        info.averaging = 1;
        info.samplingRateText = "256";
        info.sensitivity = 0.01;
        info.gainText = "1";
        return info;
    }
    static std::function<void(int, zuva::recording::SecondRecord&)> field() {
        return [state = std::uint32_t{12345}, bx = std::int32_t{2000000}, by = std::int32_t{-300000},
                bz = std::int32_t{4500000}](int, zuva::recording::SecondRecord& record) mutable {
            record.statusByte = 0x08;
            for (std::size_t i = 0; i < kRate; ++i) {
                state = state * 1664525u + 1013904223u;
                const int step = static_cast<int>(state >> 28) - 8;
                bx += step;
                by -= step / 2;
                bz += step * 3;
                record.bx[i] = bx;
                record.by[i] = by;
                record.bz[i] = bz;
            }
        };
    }
};

DayFile& dayFile() {
    static DayFile file;
    return file;
}

struct Window {
    std::unique_ptr<zuva::app::TForm1> form;
    Window() {
        // A settings file of its own; the start-up sequence is not run, so no port is
        // looked for and no box is shown.
        form = std::make_unique<zuva::app::TForm1>((dayFile().dir / "zuva.ini").string());
        form->show();
    }
};

std::unique_ptr<Window> g_window;

struct NoLog final : zuva::recording::LogSink {
    void addlogfile(const std::string&) override {}
};

struct ArraysConsumer final : zuva::recording::RecordBlockConsumer {
    std::vector<double> t;
    std::vector<float> x, y, z;
    bool consumeBlock(const zuva::recording::RecordBlock& block) override {
        t.insert(t.end(), block.timeOfDay.begin(), block.timeOfDay.end());
        for (std::size_t i = 0; i < block.bx.size(); ++i) {
            x.push_back(static_cast<float>(block.bx[i]));
            y.push_back(static_cast<float>(block.by[i]));
            z.push_back(static_cast<float>(block.bz[i]));
        }
        return true;
    }
};

void BaselineReadAndConvert(benchmark::State& state) {
    const DayFile& file = dayFile();
    NoLog log;
    for (auto _ : state) {
        ArraysConsumer consumer;
        const std::size_t n = static_cast<std::size_t>(kSecondsPerDay) * kRate;
        consumer.t.reserve(n);
        consumer.x.reserve(n);
        consumer.y.reserve(n);
        consumer.z.reserve(n);
        const auto header = zuva::recording::DataFileHeaderReader(log).ReadDataFileHeader(file.name);
        zuva::recording::DataRecordReader(log).read(file.name, header, consumer);
        benchmark::DoNotOptimize(consumer.x.data());
        state.counters["samples"] = static_cast<double>(consumer.t.size());
    }
}
// Runs first, alone: no window and no viewer data in memory yet.
BENCHMARK(BaselineReadAndConvert)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs right after the baseline, which has given back its arrays.
void WindowOpenAndFirstDraw(benchmark::State& state) {
    const DayFile& file = dayFile();
    for (auto _ : state) {
        g_window.reset();
        g_window = std::make_unique<Window>();
        QCoreApplication::processEvents();
        const long rssBefore = statusKilobytes("VmRSS");
        resetPeakRss();
        zuva::app::TForm1& form = *g_window->form;
        if (!form.openDataFile(QString::fromStdString(file.name))) state.SkipWithError("file not opened");
        while (form.loading()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents();
        form.viewer().replot();
        const double n = static_cast<double>(form.viewer().samples().size());
        state.counters["samples"] = n;
        state.counters["peak_rss_over_file_size"] =
            static_cast<double>(statusKilobytes("VmHWM") - rssBefore) * 1024.0 / static_cast<double>(file.size);
        state.counters["file_MB"] = static_cast<double>(file.size) / 1e6;
    }
}
BENCHMARK(WindowOpenAndFirstDraw)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void WindowRedraw(benchmark::State& state) {
    if (!g_window) {
        state.SkipWithError("the open did not run");
        return;
    }
    zuva::bench::timeRedraws(state, g_window->form->viewer());
}
BENCHMARK(WindowRedraw)->Arg(kSecondsPerDay)->Arg(60)->Unit(benchmark::kMillisecond);

void WindowClose(benchmark::State& state) {
    for (auto _ : state) g_window.reset();
}
BENCHMARK(WindowClose)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dayFile();  // written before any figure is taken
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}

// Decoding throughput of the whole reception path (ComPort1RxChar -> frames ->
// seconds -> record, chart points, status bar), in frames per second, at 256 Hz and
// 1 Hz output with the chart feed on, on a clean stream and on one with a wrong
// checksum in every 100th frame (each costing a log line, a search for the next
// frame and a filled position). Baseline in the same run: frame assembly and
// checksum only. The counter x_realtime is the rate as a multiple of the
// instrument's 256 frames a second.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "acquisition/Acquisition.h"
#include "acquisition/FrameAssembler.h"
#include "acquisition/FrameEncoder.h"

namespace {

using namespace zuva;
using namespace zuva::acquisition;

constexpr int kSeconds = 60;
constexpr std::size_t kBatch = 256;

// badEvery > 0: every badEvery-th frame carries a wrong checksum.
std::vector<std::uint8_t> makeStream(int badEvery = 0) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kSeconds * 256 * kDataFrameSize);
    for (int s = 0; s < kSeconds; ++s) {
        for (int i = 0; i < 256; ++i) {
            const DataFrame f = encodeDataFrame({2009, 8, 19, 13, 45, s}, 0x08, static_cast<std::uint8_t>(i),
                                                1000 + i, -2000 - i, 8000000 - s * 256 - i);
            bytes.insert(bytes.end(), f.begin(), f.end());
            if (badEvery > 0 && (s * 256 + i) % badEvery == badEvery - 1) bytes.back() ^= 0x5A;
        }
    }
    return bytes;
}

// A port that hands out the prepared stream.
struct StreamPort final : PortIo {
    const std::vector<std::uint8_t>* stream = nullptr;
    std::size_t at = 0;
    std::size_t ReadBytes(std::span<std::uint8_t> into) override {
        const std::size_t n = std::min(into.size(), stream->size() - at);
        std::memcpy(into.data(), stream->data() + at, n);
        at += n;
        return n;
    }
    void WriteByte(std::uint8_t) override {}
};
struct NullTimer final : NoResponseTimer {
    void start() override {}
    void stop() override {}
    bool isActive() const override { return false; }
};
struct Presence final : PortPresence {
    void CheckComPort() override {}
    std::string SelectedPort() const override { return "/dev/ttyS0"; }
};
struct NullLog final : recording::LogSink {
    void addlogfile(const std::string&) override {}
};
struct Clock final : recording::Clock {
    recording::LocalDateTime now() const override { return {2024, 6, 30, 10, 20, 30, 0}; }
};
struct CountingSink final : recording::DataFileSink {
    std::size_t records = 0;
    void OpenNewDataFile(const recording::DataFileHeaderInfo&) override {}
    void AppendSecondRecord(const recording::SecondRecord& r) override { records += r.tripleCount; }
    std::string DataFileName() const override { return "TEST.ZUV"; }
};
struct CountingChart final : ChartFeed {
    double sum = 0;
    void addPoints(std::span<const ChartPoint> points) override {
        for (const ChartPoint& p : points) sum += p.bx;
    }
    void ResetAxisAndSeries() override {}
};
struct Panels final : StatusPanels {
    void setPanelText(int, const std::string&) override {}
};
struct ChartsOn final : VisualizationSwitch {
    bool isOn() const override { return true; }
    void overloadSwitchOff() override {}
};

void report(benchmark::State& state, std::size_t framesPerIteration) {
    const double frames = static_cast<double>(framesPerIteration) * static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    state.counters["x_realtime"] = benchmark::Counter(frames / 256.0, benchmark::Counter::kIsRate);
}

void BM_AssembleOnly(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = makeStream();
    FrameAssembler assembler(kDataFrameSize, kDataFrameSync);
    for (auto _ : state) {
        std::size_t good = 0;
        for (std::size_t at = 0; at < stream.size(); at += kBatch) {
            std::span<const std::uint8_t> batch(stream.data() + at, std::min(kBatch, stream.size() - at));
            while (!batch.empty()) {
                const AssemblyStep step = assembler.feed(batch);
                batch = batch.subspan(step.consumed);
                good += step.outcome == FrameOutcome::Frame ? 1 : 0;
            }
        }
        benchmark::DoNotOptimize(good);
    }
    report(state, stream.size() / kDataFrameSize);
}

void BM_Decode(benchmark::State& state) {
    const int badEvery = static_cast<int>(state.range(1));
    const std::vector<std::uint8_t> stream = makeStream(badEvery);
    StreamPort port;
    port.stream = &stream;
    NullTimer timer;
    Presence presence;
    ControlStates controls;
    NullLog log;
    Clock clock;
    CountingSink sink;
    CountingChart chart;
    Panels panels;
    ChartsOn charts;
    Acquisition acq({port, timer, presence, controls, log, clock, sink, chart, panels, charts});
    acq.decoder().setAveraging(static_cast<std::uint16_t>(state.range(0)));
    acq.PrepareRun();
    acq.StartTransmission();
    for (auto _ : state) {
        port.at = 0;
        for (std::size_t at = 0; at < stream.size(); at += kBatch) {
            acq.ComPort1RxChar(static_cast<int>(std::min(kBatch, stream.size() - at)));
        }
    }
    benchmark::DoNotOptimize(chart.sum);
    benchmark::DoNotOptimize(sink.records);
    report(state, stream.size() / kDataFrameSize);
    std::string label = state.range(0) == 1 ? "256 Hz output, charts on" : "1 Hz output, charts on";
    if (badEvery > 0) label += ", a bad frame in every " + std::to_string(badEvery);
    state.SetLabel(label);
}

BENCHMARK(BM_AssembleOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Args({1, 0})->Args({256, 0})->Args({1, 100})->Args({256, 100})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

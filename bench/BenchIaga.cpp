// IAGA-2002 conversion throughput: converting a 256 Hz data file of one day to its
// one-second and one-minute day files (zuva-file iaga), against reading the same
// file with the project's record reader alone (the baseline). The ratio of the two
// times is what the filters and the formatting cost on top of reading the data.
// The input (86400 records, 22 118 400 samples, a slow field with noise) is made in
// a temp directory when the program starts and removed at its end;
// ZUVA_BENCH_SECONDS makes it shorter.
//
// Also the one-second filter alone, fed from memory, per second at 256 and at 1 Hz.

#include <benchmark/benchmark.h>

#include <fcntl.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "products/FieldValue.h"
#include "products/IagaConversion.h"
#include "products/SecondFilter.h"
#include "recording/DataFileHeaderComposer.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "recording/LogSink.h"
#include "recording/PosixFile.h"
#include "recording/SecondRecordEncoder.h"

#include "GeneratedDataFile.h"

namespace {

using namespace zuva;

class NullLog final : public recording::LogSink {
public:
    void addlogfile(const std::string&) override {}
};

// The input day: a slow field with noise; the conversions write into `out` beside it.
struct DayFile {
    bench::GeneratedDataFile data;
    std::string name = data.name;
    std::string out = (data.dir / "out").string();

    DayFile()
        : data(std::filesystem::temp_directory_path(), "zuva-bench-iaga", "20260314000000.zuv", headerInfo(), "",
               bench::GeneratedDataFile::secondsFromEnvironment(), field()) {
        std::filesystem::create_directory(out);
    }
    static recording::DataFileHeaderInfo headerInfo() {
        recording::DataFileHeaderInfo info;
        info.dateText = "2026 03 14";
        info.averaging = 1;
        info.samplingRateText = "256";
        info.sensitivity = 0.001;
        info.gainText = "1";
        return info;
    }
    static std::function<void(int, recording::SecondRecord&)> field() {
        return [rng = std::mt19937(13), noise = std::normal_distribution<double>(0.0, 300.0)](
                   int s, recording::SecondRecord& r) mutable {
            r.statusByte = 0x08;
            const double slow = 50000.0 * std::sin(s / 3000.0);
            for (std::size_t j = 0; j < 256; ++j) {
                r.bx[j] = static_cast<std::int32_t>(20000000 + slow + noise(rng));
                r.by[j] = static_cast<std::int32_t>(-3000000 - slow + noise(rng));
                r.bz[j] = static_cast<std::int32_t>(40000000 + noise(rng));
            }
        };
    }
};

DayFile& dayFile() {
    static DayFile file;
    return file;
}

struct CountingConsumer final : recording::RecordBlockConsumer {
    double sum = 0;
    bool consumeBlock(const recording::RecordBlock& block) override {
        sum += block.bx[0];
        return true;
    }
};

// Baseline: the record reader delivers every record of the day, converted to nT.
void BM_ReadDayWithRecordReader(benchmark::State& state) {
    DayFile& f = dayFile();
    NullLog log;
    const auto scan = recording::DataFileHeaderReader(log).ReadDataFileHeader(f.name);
    for (auto _ : state) {
        CountingConsumer c;
        recording::DataRecordReader(log).read(f.name, scan, c);
        benchmark::DoNotOptimize(c.sum);
    }
}
BENCHMARK(BM_ReadDayWithRecordReader)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole conversion: reading, both filters, formatting and writing both day files.
void BM_ConvertDayToIaga(benchmark::State& state) {
    DayFile& f = dayFile();
    NullLog log;
    products::IagaConversion::Request r;
    r.inputs = {f.name};
    r.station = settings::StationSettings{};
    r.station->iagaCode = "ABC";
    r.outDir = f.out;
    for (auto _ : state) {
        const auto result = products::IagaConversion(log).run(r);
        benchmark::DoNotOptimize(result.written.size());
    }
}
BENCHMARK(BM_ConvertDayToIaga)->Unit(benchmark::kMillisecond)->UseRealTime();

// The one-second filter alone, one second of samples per iteration.
void BM_SecondFilterPerSecond(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    std::vector<double> x(static_cast<std::size_t>(rate), 1.0);
    double sink = 0;
    products::SecondFilter filter([&](const products::FieldValue& v) { sink += v.x; });
    std::int64_t t = 1773446400;
    for (auto _ : state) filter.add(t++, rate, x, x, x);
    benchmark::DoNotOptimize(sink);
}
BENCHMARK(BM_SecondFilterPerSecond)->Arg(256)->Arg(1);

}  // namespace

BENCHMARK_MAIN();

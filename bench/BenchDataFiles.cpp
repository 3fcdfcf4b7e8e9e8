// Data file throughput: the text export against a plain snprintf-per-line loop, and
// the record reader against a bare read() of the same file. The input is a 256 Hz
// file of one day (86400 records, 22 118 400 samples), generated in a temp directory
// when the program starts and removed at its end; ZUVA_BENCH_SECONDS makes it shorter.
//
// Compare the "lines_per_second" counters of BM_ExportDataToText and
// BM_ExportSnprintfBaseline, and the times of BM_ReadRecords and BM_ReadBare.
//
// BM_AppendRecord appends 256 Hz records through the data file writer with each
// record flushed to the disk (sync:1) and without (sync:0, the baseline): the ratio
// of their times is the price of losing at most one second at a power cut. The
// files go to ZUVA_BENCH_DIR when it is set (the disk that matters: a tmpfs temp
// directory flushes for nothing), else to the temp directory.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "recording/DataFileHeaderComposer.h"
#include "recording/DataFileWriter.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "recording/DataTextExporter.h"
#include "recording/LogSink.h"
#include "recording/PosixFile.h"
#include "recording/SecondRecordEncoder.h"

#include "GeneratedDataFile.h"

namespace {

using namespace zuva::recording;

class NullLog final : public LogSink {
public:
    void addlogfile(const std::string&) override {}
};

// The input day: noise around a constant field, the status byte's low bits changing
// every hour.
struct DayFile {
    zuva::bench::GeneratedDataFile data;
    std::string name = data.name;
    std::uint64_t samples = data.samples;
    std::uint64_t bytes = data.size;

    DayFile()
        : data(std::filesystem::temp_directory_path(), "zuva-bench", "20090819000000.zuv", headerInfo(), "benchmark",
               zuva::bench::GeneratedDataFile::secondsFromEnvironment(), field()) {}
    static DataFileHeaderInfo headerInfo() {
        DataFileHeaderInfo info;
        info.dateText = "2009 08 19";
        info.averaging = 1;
        info.samplingRateText = "256";
        info.sensitivity = 0.01;
        info.gainText = "1";
        return info;
    }
    static std::function<void(int, SecondRecord&)> field() {
        return [rng = std::mt19937(7), noise = std::normal_distribution<double>(0.0, 400000.0)](
                   int s, SecondRecord& r) mutable {
            r.statusByte = static_cast<std::uint8_t>(0x08 | (s / 3600) % 4);
            for (std::size_t j = 0; j < 256; ++j) {
                r.bx[j] = static_cast<std::int32_t>(2000000 + noise(rng));
                r.by[j] = static_cast<std::int32_t>(-300000 + noise(rng));
                r.bz[j] = static_cast<std::int32_t>(noise(rng));
            }
        };
    }
};

DayFile& dayFile() {
    static DayFile file;
    return file;
}

DataFileHeaderScan scanOf(const std::string& name) {
    NullLog log;
    return DataFileHeaderReader(log).ReadDataFileHeader(name);
}

void BM_ExportDataToText(benchmark::State& state) {
    DayFile& f = dayFile();
    const DataFileHeaderScan scan = scanOf(f.name);
    NullLog log;
    DataTextExporter exporter(log, LocaleFormats{});
    for (auto _ : state) {
        const ExportResult r = exporter.ExportDataToText(f.name, scan);
        benchmark::DoNotOptimize(r.linesWritten);
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(f.samples), benchmark::Counter::kIsIterationInvariantRate);
    std::filesystem::remove(f.name + ".txt");
}

// The same lines (up to the rounding rule) written with one snprintf per line.
class SnprintfLines final : public RecordBlockConsumer {
public:
    explicit SnprintfLines(std::FILE* out) : out_(out) {}
    bool consumeBlock(const RecordBlock& block) override {
        const std::size_t n = block.samplesPerRecord;
        char line[160];
        for (std::size_t i = 0; i < block.sampleCount(); ++i) {
            const int t = block.recordSecond[i / n];
            const int len = std::snprintf(line, sizeof line, "%02d %02d %02d %zu %.6f %.6f %.6f \r\n", t / 3600,
                                          t / 60 % 60, t % 60, i % n + 1, block.bx[i], block.by[i], block.bz[i]);
            std::fwrite(line, 1, static_cast<std::size_t>(len), out_);
        }
        return true;
    }

private:
    std::FILE* out_;
};

void BM_ExportSnprintfBaseline(benchmark::State& state) {
    DayFile& f = dayFile();
    const DataFileHeaderScan scan = scanOf(f.name);
    NullLog log;
    for (auto _ : state) {
        std::FILE* out = std::fopen((f.name + ".baseline.txt").c_str(), "wb");
        SnprintfLines lines(out);
        DataRecordReader(log).read(f.name, scan, lines);
        std::fclose(out);
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(f.samples), benchmark::Counter::kIsIterationInvariantRate);
    std::filesystem::remove(f.name + ".baseline.txt");
}

class Checksum final : public RecordBlockConsumer {
public:
    bool consumeBlock(const RecordBlock& block) override {
        for (std::size_t i = 0; i < block.sampleCount(); ++i) sum += block.bx[i] + block.by[i] + block.bz[i];
        return true;
    }
    double sum = 0;
};

void BM_ReadRecords(benchmark::State& state) {
    DayFile& f = dayFile();
    const DataFileHeaderScan scan = scanOf(f.name);
    NullLog log;
    for (auto _ : state) {
        Checksum c;
        DataRecordReader(log).read(f.name, scan, c);
        benchmark::DoNotOptimize(c.sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes));
}

void BM_ReadBare(benchmark::State& state) {
    DayFile& f = dayFile();
    std::vector<std::uint8_t> buffer(1u << 20);
    for (auto _ : state) {
        const int fd = ::open(f.name.c_str(), O_RDONLY);
        std::uint64_t sum = 0;
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) sum += buffer[static_cast<std::size_t>(n - 1)];
        ::close(fd);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes));
}

void BM_AppendRecord(benchmark::State& state) {
    const char* base = std::getenv("ZUVA_BENCH_DIR");
    std::string pattern = ((base != nullptr && *base != '\0') ? std::filesystem::path(base)
                                                               : std::filesystem::temp_directory_path()) /
                          "zuva-bench-append-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    {
        NullLog log;
        DataFileWriter writer(log);
        writer.setOutputDirectory(pattern);
        writer.setSyncEachRecord(state.range(0) != 0);
        DataFileHeaderInfo info;
        info.fileDate = "20090819";
        info.fileTime = "000000";
        info.dateText = "2009 08 19";
        info.averaging = 1;
        info.samplingRateText = "256";
        info.gainText = "1";
        writer.OpenNewDataFile(info);
        SecondRecord r;
        r.tripleCount = 256;
        for (int j = 0; j < 256; ++j) r.bx[static_cast<std::size_t>(j)] = 2000000 + j;
        int second = 0;
        for (auto _ : state) {
            r.second = static_cast<std::uint8_t>(second % 60);
            r.minute = static_cast<std::uint8_t>(second / 60 % 60);
            ++second;
            writer.AppendSecondRecord(r);
        }
        if (writer.backlogSeconds() != 0) state.SkipWithError("records were not written");
    }
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 3076);
}

BENCHMARK(BM_AppendRecord)->ArgName("sync")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_ExportDataToText)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ExportSnprintfBaseline)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ReadBare)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

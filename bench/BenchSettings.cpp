// Settings store: what the safe ini write costs against a plain in-place rewrite, and
// a key lookup against reading the same file raw. The files live in a fresh directory
// under ZUVA_BENCH_DIR (default: the system's temporary directory); on a RAM-backed
// temporary directory fsync costs nothing, so point it at a real disk for the write
// figures.
//
// Compare BM_IniWriteString with BM_PlainRewriteFsync (same bytes, same fsync of the
// file, no temporary file, no rename, no directory fsync), and BM_IniReadString with
// BM_RawReadFile.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "settings/IniFile.h"

namespace {

namespace fs = std::filesystem;

// A zuva.ini as the program leaves it: the window placement and the six keys.
const std::string kTypicalFile =
    "[TForm1]\n"
    "FormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch=96\n"
    "MinMaxPos=-1,-1,-1,-1\nNormPos=12,34,1036,802\n"
    "MinMaxPos(1920x1080)=-1,-1,-1,-1\nNormPos(1920x1080)=12,34,1036,802\nVisible=1\n"
    "\n[Config]\n"
    "sensitivity=2,393E-5\nSamplingRate=6\nOutputDirectory=/home/operator/zuva/data\n"
    "ComPort=/dev/ttyUSB0\nGain=0\nStart=Not\n";

struct BenchDir {
    BenchDir() {
        const char* base = std::getenv("ZUVA_BENCH_DIR");
        std::string pattern = ((base && *base) ? fs::path(base) : fs::temp_directory_path()) / "zuva-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path = pattern;
    }
    ~BenchDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

void writePlain(const std::string& file, const std::string& content, bool sync) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    if (::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) std::abort();
    if (sync) ::fsync(fd);
    ::close(fd);
}

void BM_IniWriteString(benchmark::State& state) {
    BenchDir dir;
    const std::string file = (dir.path / "zuva.ini").string();
    writePlain(file, kTypicalFile, false);
    zuva::settings::IniFile ini(file);
    int i = 0;
    for (auto _ : state) ini.writeString("Config", "SamplingRate", (++i & 1) ? "7" : "6");
}
BENCHMARK(BM_IniWriteString)->Unit(benchmark::kMicrosecond);

void BM_PlainRewriteFsync(benchmark::State& state) {
    BenchDir dir;
    const std::string file = (dir.path / "zuva.ini").string();
    std::string other = kTypicalFile;
    other.replace(other.find("SamplingRate=6"), 14, "SamplingRate=7");
    int i = 0;
    for (auto _ : state) writePlain(file, (++i & 1) ? other : kTypicalFile, true);
}
BENCHMARK(BM_PlainRewriteFsync)->Unit(benchmark::kMicrosecond);

void BM_IniReadString(benchmark::State& state) {
    BenchDir dir;
    const std::string file = (dir.path / "zuva.ini").string();
    writePlain(file, kTypicalFile, false);
    const zuva::settings::IniFile ini(file);
    for (auto _ : state) benchmark::DoNotOptimize(ini.readString("config", "START", "Not"));
}
BENCHMARK(BM_IniReadString)->Unit(benchmark::kMicrosecond);

void BM_RawReadFile(benchmark::State& state) {
    BenchDir dir;
    const std::string file = (dir.path / "zuva.ini").string();
    writePlain(file, kTypicalFile, false);
    char buffer[4096];
    for (auto _ : state) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
        ::close(fd);
    }
}
BENCHMARK(BM_RawReadFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

#pragma once

// A 256 Hz data file made for a benchmark, in a fresh folder "<prefix>-XXXXXX" under
// `parent`, removed with the object. The header comes
// from `info` and `remarks`; `fill` gives each second's record its status byte and its
// 256 samples (hour, minute, second and the count are set already).

#include <fcntl.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "recording/DataFileHeaderComposer.h"
#include "recording/PosixFile.h"
#include "recording/SecondRecordEncoder.h"

namespace zuva::bench {

struct GeneratedDataFile {
    static constexpr int kRate = 256;

    std::filesystem::path dir;
    std::string name;
    std::uint64_t samples = 0;
    std::uintmax_t size = 0;

    GeneratedDataFile(const std::filesystem::path& parent, const std::string& prefix, const std::string& fileName,
                      const recording::DataFileHeaderInfo& info, const std::string& remarks, int seconds,
                      const std::function<void(int second, recording::SecondRecord& record)>& fill) {
        std::string pattern = (parent / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder " + pattern);
        dir = pattern;
        name = (dir / fileName).string();
        const std::string header = recording::DataFileHeaderComposer::compose(info, remarks).text;
        recording::PosixFile file = recording::PosixFile::open(name, O_WRONLY | O_CREAT | O_TRUNC);
        file.writeAll(header.data(), header.size());
        std::vector<std::uint8_t> chunk;
        std::uint8_t bytes[recording::kMaxRecordSize];
        for (int s = 0; s < seconds; ++s) {
            recording::SecondRecord record;
            record.hour = static_cast<std::uint8_t>(s / 3600);
            record.minute = static_cast<std::uint8_t>(s / 60 % 60);
            record.second = static_cast<std::uint8_t>(s % 60);
            record.tripleCount = kRate;
            fill(s, record);
            const std::size_t n = recording::SecondRecordEncoder::encode(record, bytes);
            chunk.insert(chunk.end(), bytes, bytes + n);
            if (chunk.size() > (8u << 20)) {
                file.writeAll(chunk);
                chunk.clear();
            }
        }
        file.writeAll(chunk);
        file.close();
        samples = static_cast<std::uint64_t>(seconds) * kRate;
        size = std::filesystem::file_size(name);
    }
    ~GeneratedDataFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    GeneratedDataFile(const GeneratedDataFile&) = delete;
    GeneratedDataFile& operator=(const GeneratedDataFile&) = delete;

    // ZUVA_BENCH_DIR (the disk that matters), or the system's temporary directory.
    static std::filesystem::path benchDirectory() {
        const char* base = std::getenv("ZUVA_BENCH_DIR");
        return (base && *base) ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
    }
    // ZUVA_BENCH_SECONDS (at least 1), or a whole day.
    static int secondsFromEnvironment() {
        if (const char* s = std::getenv("ZUVA_BENCH_SECONDS")) return std::max(1, std::atoi(s));
        return 86400;
    }
};

}  // namespace zuva::bench

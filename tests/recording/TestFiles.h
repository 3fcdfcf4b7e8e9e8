#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording/DataFileSink.h"

namespace zuva::recording::testing {

// A fresh directory under the system's temp directory, removed with its content.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuva-rec-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The header facts of a data file begun at date ("YYYYMMDD") and time ("HHMMSS"),
// sensitivity 1, gain 1.
inline DataFileHeaderInfo infoAt(const std::string& date, const std::string& time, std::uint16_t averaging = 256) {
    DataFileHeaderInfo info;
    info.fileDate = date;
    info.fileTime = time;
    info.dateText = date.substr(0, 4) + " " + date.substr(4, 2) + " " + date.substr(6, 2);
    info.averaging = averaging;
    info.samplingRateText = std::to_string(256 / averaging);
    info.sensitivity = 1.0;
    info.gainText = "1";
    return info;
}

inline std::string bytesOf(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

}  // namespace zuva::recording::testing

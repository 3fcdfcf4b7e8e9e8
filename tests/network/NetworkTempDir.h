#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace zuva::network::testing {

// A fresh directory under the system's temporary directory, removed with all it holds.
class NetworkTempDir {
public:
    NetworkTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuva-network-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~NetworkTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    NetworkTempDir(const NetworkTempDir&) = delete;
    NetworkTempDir& operator=(const NetworkTempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace zuva::network::testing

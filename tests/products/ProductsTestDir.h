#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace zuva::products::testing {

// A fresh directory under the system's temporary directory, removed at the end.
class ProductsTestDir {
public:
    ProductsTestDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuva-products-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ProductsTestDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ProductsTestDir(const ProductsTestDir&) = delete;
    ProductsTestDir& operator=(const ProductsTestDir&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace zuva::products::testing

#pragma once

// A fresh folder for one test under the system's temporary directory, named
// "<prefix>-XXXXXX". It is removed when the test is over, unless the test failed: then
// what the programs left in it can be looked at.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace zuva::app::testing {

class TestDirectory {
public:
    explicit TestDirectory(const std::string& prefix) {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder " + pattern);
        path_ = pattern;
    }
    ~TestDirectory() {
        std::error_code ec;
        if (!::testing::Test::HasFailure()) std::filesystem::remove_all(path_, ec);
    }
    TestDirectory(const TestDirectory&) = delete;
    TestDirectory& operator=(const TestDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace zuva::app::testing

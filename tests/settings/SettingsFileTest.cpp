#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "TempDir.h"
#include "settings/IniWriteError.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::readFile;
namespace fs = std::filesystem;

TEST(SettingsFile, LiesBesideTheExecutableUnlessAPathIsGiven) {
    // This test program is built into <build>/tests.
    const fs::path expected = fs::canonical(fs::path(ZUVA_BIN_DIR).parent_path() / "tests") / "zuva.ini";
    EXPECT_EQ(SettingsFile::pathBesideExecutable(), expected.string());
    EXPECT_EQ(SettingsFile::choosePath(std::nullopt), expected.string());
    EXPECT_EQ(SettingsFile::choosePath(std::string()), expected.string());
    EXPECT_EQ(SettingsFile::choosePath(std::string("/etc/zuva/other.ini")), "/etc/zuva/other.ini");
}

TEST(SettingsFile, ReadsAndWritesSectionConfig) {
    TempDir dir;
    SettingsFile file(dir.file("zuva.ini"));
    EXPECT_EQ(file.path(), dir.file("zuva.ini"));
    EXPECT_EQ(file.readConfig("Gain", "0"), "0");
    file.writeConfig("Gain", "2");
    file.writeString("TForm1", "Visible", "1");
    EXPECT_EQ(readFile(dir.file("zuva.ini")), "[Config]\nGain=2\n\n[TForm1]\nVisible=1\n");
    EXPECT_EQ(file.readConfig("gain", "0"), "2");
    EXPECT_EQ(file.readString("tform1", "visible", "0"), "1");
}

TEST(SettingsFile, RelativePathIsFixedAgainstTheCurrentDirectory) {
    const SettingsFile file("some/relative.ini");
    EXPECT_EQ(file.path(), (fs::current_path() / "some/relative.ini").string());
    SettingsFile blocked("/proc/version/zuva.ini");
    try {
        blocked.writeConfig("Gain", "0");
        FAIL() << "write below /proc/version went through";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to /proc/version/zuva.ini");
    }
}

}  // namespace
}  // namespace zuva::settings

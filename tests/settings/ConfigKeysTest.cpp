#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "TempDir.h"
#include "fakes/RecordingLog.h"
#include "settings/ComPortSetting.h"
#include "settings/GainSetting.h"
#include "settings/OutputDirectorySetting.h"
#include "settings/SamplingRateSetting.h"
#include "settings/SensitivitySetting.h"
#include "settings/SettingsFile.h"
#include "settings/StartSetting.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::writeFile;

struct SensitivityReadCase {
    const char* stored;
    const char* fieldText;
    double value;
};

TEST(SensitivitySetting, ReadingTurnsTheFirstCommaIntoAFullStop) {
    const SensitivityReadCase cases[] = {
        {"2,393E-5", "2.393E-5", 2.393e-5},  // the default
        {"2.393E-5", "2.393E-5", 2.393e-5},
        {"0,5", "0.5", 0.5},
        {"  -1,25e2", "  -1.25e2", -125.0},
        {"7", "7", 7.0},
        {"2,393,1", "1", 1.0},  // only the first comma
        {"abc", "1", 1.0},
        {"", "1", 1.0},
        {",", "1", 1.0},
        {"1e999", "1", 1.0},
    };
    for (const auto& c : cases) {
        const auto taken = SensitivitySetting::read(c.stored);
        EXPECT_EQ(taken.fieldText, c.fieldText) << c.stored;
        EXPECT_EQ(taken.value, c.value) << c.stored;
    }
}

TEST(SensitivitySetting, TakeOverKeepsAValidFieldAndNeverConvertsCommas) {
    const SensitivityReadCase cases[] = {
        {"0.5", "0.5", 0.5},
        {" 2.393E-5", " 2.393E-5", 2.393e-5},
        {"0,5", "1", 1.0},
        {"", "1", 1.0},
        {"0.5 nT", "1", 1.0},
    };
    for (const auto& c : cases) {
        const auto taken = SensitivitySetting::takeOver(c.stored);
        EXPECT_EQ(taken.fieldText, c.fieldText) << c.stored;
        EXPECT_EQ(taken.value, c.value) << c.stored;
    }
}

TEST(SensitivitySetting, WritesWithTheLocalesSeparatorAndReadsBack) {
    EXPECT_EQ(SensitivitySetting::write(2.393e-5, ','), "2,393E-5");
    EXPECT_EQ(SensitivitySetting::write(2.393e-5, '.'), "2.393E-5");
    EXPECT_EQ(SensitivitySetting::write(0.5, ','), "0,5");
    EXPECT_EQ(SensitivitySetting::read(SensitivitySetting::write(0.000123, ',')).value, 0.000123);
    EXPECT_EQ(SensitivitySetting::kDefault, "2,393E-5");
}

TEST(SamplingRateSetting, TakesTheLowEightBitsAndFallsBackToIndexSix) {
    const std::pair<const char*, int> cases[] = {
        {"0", 0},  {"8", 8},  {"6", 6},  {"3", 3},  {"258", 2}, {"264", 8}, {"265", 6}, {"9", 6},
        {"-1", 6}, {"-248", 8}, {"x", 6}, {"", 6}, {"6.0", 6}, {" 4", 4}, {"4 ", 6}, {"99999999999", 6},
    };
    for (const auto& [stored, index] : cases) {
        EXPECT_EQ(SamplingRateSetting::read(stored), index) << stored;
    }
    EXPECT_EQ(SamplingRateSetting::read(SamplingRateSetting::kDefault), 6);
    EXPECT_EQ(SamplingRateSetting::write(0), "0");
    EXPECT_EQ(SamplingRateSetting::write(8), "8");
}

struct GainCase {
    const char* stored;
    int index;
    std::optional<std::string> error;
    std::optional<std::string> logLine;
};

TEST(GainSetting, SelectsTheStoredEntryOrGainOne) {
    const GainCase cases[] = {
        {"0", 0, std::nullopt, std::nullopt},
        {"3", 3, std::nullopt, std::nullopt},
        {" 2", 2, std::nullopt, std::nullopt},
        {"4", 0, std::nullopt, "Error: stored Gain 4 is not 0..3, gain 1 selected"},
        {"-1", 0, std::nullopt, "Error: stored Gain -1 is not 0..3, gain 1 selected"},
        {"abc", 0, "'abc' is not a valid integer value", std::nullopt},
        {"", 0, "'' is not a valid integer value", std::nullopt},
        {"1.0", 0, "'1.0' is not a valid integer value", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto reading = GainSetting::read(c.stored);
        EXPECT_EQ(reading.index, c.index) << c.stored;
        EXPECT_EQ(reading.conversionError, c.error) << c.stored;
        EXPECT_EQ(reading.logLine, c.logLine) << c.stored;
    }
    EXPECT_EQ(GainSetting::write(0), "0");
    EXPECT_EQ(GainSetting::write(3), "3");
    EXPECT_EQ(GainSetting::write(std::nullopt), "-1");
}

TEST(GainSetting, LoadLogsAnOutOfRangeGain) {
    TempDir dir;
    const std::string path = dir.file("zuva.ini");
    fakes::RecordingLog log;

    EXPECT_EQ(GainSetting::load(SettingsFile(path), log).index, 0);  // missing: "0"
    EXPECT_TRUE(log.lines.empty());

    writeFile(path, "[Config]\nGain=7\n");
    EXPECT_EQ(GainSetting::load(SettingsFile(path), log).index, 0);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Error: stored Gain 7 is not 0..3, gain 1 selected"});

    log.clear();
    writeFile(path, "[Config]\nGain=x\n");
    const auto bad = GainSetting::load(SettingsFile(path), log);
    EXPECT_EQ(bad.conversionError, "'x' is not a valid integer value");
    EXPECT_TRUE(log.lines.empty());
}

TEST(StartSetting, OnlyExactYesTicks) {
    const std::pair<const char*, bool> cases[] = {
        {"Yes", true}, {"yes", false}, {"YES", false}, {"Yes!", false}, {"Not", false}, {"", false}, {"1", false},
    };
    for (const auto& [stored, ticked] : cases) EXPECT_EQ(StartSetting::read(stored), ticked) << stored;
    EXPECT_EQ(StartSetting::write(true), "Yes");
    EXPECT_EQ(StartSetting::write(false), "Not");
    EXPECT_FALSE(StartSetting::read(StartSetting::kDefault));
}

TEST(ComPortSetting, ReadsTheStoredNameOrNone) {
    TempDir dir;
    const std::string path = dir.file("zuva.ini");
    EXPECT_EQ(ComPortSetting::load(SettingsFile(path)), "COM99");
    writeFile(path, "[Config]\ncomport = /dev/ttyUSB1 \n");
    EXPECT_EQ(ComPortSetting::load(SettingsFile(path)), "/dev/ttyUSB1");
}

TEST(OutputDirectorySetting, AnExistingDirectoryOrTheCurrentOne) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "data");
    writeFile(dir.file("file"), "x");
    const std::string data = dir.file("data");
    const std::pair<std::string, std::string> cases[] = {
        {data, data},
        {data + "/", data + "/"},
        {dir.file("missing"), "/cwd"},
        {dir.file("file"), "/cwd"},
        {"", "/cwd"},
        {std::string("/tmp\0x", 6), "/cwd"},
    };
    for (const auto& [stored, field] : cases) {
        EXPECT_EQ(OutputDirectorySetting::read(stored, "/cwd"), field) << stored;
    }

    const std::string path = dir.file("zuva.ini");
    EXPECT_EQ(OutputDirectorySetting::load(SettingsFile(path)), std::filesystem::current_path().string());
    writeFile(path, "[Config]\nOutputDirectory=" + data + "\n");
    EXPECT_EQ(OutputDirectorySetting::load(SettingsFile(path)), data);
}

}  // namespace
}  // namespace zuva::settings

#include "settings/OptionsModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "fakes/RecordingLog.h"
#include "settings/IniWriteError.h"
#include "settings/SettingsFile.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::readFile;
using testing::writeFile;

// An Options model over a settings file in a fresh directory. Every hook call is
// noted in `log.lines` as "<hook ...>" so its order against the log lines shows.
class OptionsModelTest : public ::testing::Test {
protected:
    OptionsHooks recordingHooks() {
        OptionsHooks h;
        h.sensitivityChanged = [this](double v) {
            sensitivityHook.push_back(v);
        };
        h.averagingChanged = [this](std::uint16_t a, std::uint8_t g) {
            log.lines.push_back("<averaging " + std::to_string(a) + " " + std::to_string(g) + ">");
        };
        h.pointsOnScreenChanged = [this](std::int32_t p) { log.lines.push_back("<points " + std::to_string(p) + ">"); };
        h.resetChartSeries = [this] { log.lines.push_back("<reset series>"); };
        h.followCurrentHour = [this] { log.lines.push_back("<follow hour>"); };
        h.followMidnight = [this] { log.lines.push_back("<follow midnight>"); };
        h.changed = [this] { ++changedCount; };
        return h;
    }

    OptionsModel& created(const std::string& iniText) {
        writeFile(path, iniText);
        model.FormCreate();
        log.clear();
        sensitivityHook.clear();
        return model;
    }

    TempDir dir;
    std::string path = dir.file("zuva.ini");
    SettingsFile file{path};
    fakes::RecordingLog log;
    std::vector<double> sensitivityHook;
    int changedCount = 0;
    OptionsModel model{file, log, '.', recordingHooks()};
};

TEST_F(OptionsModelTest, StartValuesBeforeAnyRateIsApplied) {
    EXPECT_EQ(model.averaging(), 4);
    EXPECT_EQ(model.groupCountPerSecond(), 63);
    EXPECT_EQ(model.pointsOnScreen(), 3840);
    EXPECT_EQ(model.minutesText(), "1");
    EXPECT_EQ(model.rotation(), OptionsModel::Rotation::EveryMidnight);
    EXPECT_TRUE(model.samplingRateEnabled() && model.sensitivityEnabled() && model.applyEnabled() &&
                model.autostartEnabled() && model.minutesEnabled());
    EXPECT_FALSE(model.visible());
}

struct CreationCase {
    const char* name;
    std::string ini;
    std::string fieldText;
    double sensitivity;
    int rateIndex;
    bool autostart;
};

class OptionsCreation : public OptionsModelTest, public ::testing::WithParamInterface<CreationCase> {};

TEST_P(OptionsCreation, ReadsTheThreeKeysWithoutRunningTheChangeHandlers) {
    const CreationCase& c = GetParam();
    if (!c.ini.empty()) writeFile(path, c.ini);
    model.FormCreate();
    EXPECT_EQ(model.sensitivityText(), c.fieldText);
    EXPECT_EQ(model.sensitivity(), c.sensitivity);
    EXPECT_EQ(sensitivityHook, std::vector<double>{c.sensitivity});
    EXPECT_EQ(model.samplingRateIndex(), c.rateIndex);
    EXPECT_EQ(model.autostart(), c.autostart);
    EXPECT_EQ(model.minutesIndex(), 0);
    // No change handler ran: start values kept, minutes list enabled, nothing logged.
    EXPECT_EQ(model.averaging(), 4);
    EXPECT_EQ(model.groupCountPerSecond(), 63);
    EXPECT_EQ(model.pointsOnScreen(), 3840);
    EXPECT_TRUE(model.minutesEnabled());
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();
    EXPECT_GE(changedCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OptionsCreation,
    ::testing::Values(
        CreationCase{"noFile", "", "2.393E-5", 2.393e-5, 6, false},
        CreationCase{"stored", "[Config]\nsensitivity=0,5\nSamplingRate=8\nStart=Yes\n", "0.5", 0.5, 8, true},
        CreationCase{"invalid", "[Config]\nsensitivity=abc\nSamplingRate=x\nStart=yes\n", "1", 1.0, 6, false},
        CreationCase{"wrapped", "[CONFIG]\nSENSITIVITY= -2.5E-3 \nsamplingrate=258\n", "-2.5E-3", -2.5e-3, 2, false}),
    [](const ::testing::TestParamInfo<CreationCase>& p) { return std::string(p.param.name); });

struct RateCase {
    int index;
    bool minutesEnabled;
    int minutesIndexAfter;
    std::int32_t points;
    std::uint16_t averaging;
    std::uint8_t groups;
};

TEST_F(OptionsModelTest, RateChangeSetsAveragingGroupsAndPointsForEveryRate) {
    // Each rate picked while "10" minutes are on screen.
    const RateCase cases[] = {
        {0, true, 1, 600, 256, 0},        {1, true, 1, 1200, 128, 1},     {2, true, 1, 2400, 64, 3},
        {3, true, 1, 4800, 32, 7},        {4, true, 1, 9600, 16, 15},     {5, true, 1, 19200, 8, 31},
        {6, true, 1, 38400, 4, 63},       {7, false, 0, 7680, 2, 127},    {8, false, 0, 15360, 1, 255},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(model.pickSamplingRate(6));
        ASSERT_TRUE(model.pickMinutes(1));
        log.clear();
        ASSERT_TRUE(model.pickSamplingRate(c.index));
        const std::string rate(OptionsModel::kRateTexts[static_cast<std::size_t>(c.index)]);
        EXPECT_EQ(model.minutesEnabled(), c.minutesEnabled) << rate;
        EXPECT_EQ(model.minutesIndex(), c.minutesIndexAfter) << rate;
        EXPECT_EQ(model.pointsOnScreen(), c.points) << rate;
        EXPECT_EQ(model.averaging(), c.averaging) << rate;
        EXPECT_EQ(model.groupCountPerSecond(), c.groups) << rate;
        EXPECT_EQ(log.lines, (std::vector<std::string>{"<points " + std::to_string(c.points) + ">",
                                                       "<averaging " + std::to_string(c.averaging) + " " +
                                                           std::to_string(c.groups) + ">",
                                                       "Sampling rate: " + rate}))
            << rate;
    }
}

TEST_F(OptionsModelTest, StartReappliesTheRateAndLocksTheMinutesAtFastRates) {
    created("[Config]\nSamplingRate=8\n");
    EXPECT_TRUE(model.minutesEnabled());  // loaded 256 Hz does not disable it yet
    ASSERT_TRUE(model.pickMinutes(2));
    EXPECT_EQ(model.pointsOnScreen(), 256 * 60 * 60);
    model.ComboBox2Change();  // as Start does
    EXPECT_EQ(model.minutesText(), "1");
    EXPECT_FALSE(model.minutesEnabled());
    EXPECT_EQ(model.pointsOnScreen(), 15360);
    EXPECT_FALSE(model.pickMinutes(1));
    EXPECT_EQ(model.minutesText(), "1");

    ASSERT_TRUE(model.pickSamplingRate(6));
    EXPECT_TRUE(model.minutesEnabled());
    EXPECT_EQ(model.minutesText(), "1");
    EXPECT_EQ(model.pointsOnScreen(), 3840);
}

TEST_F(OptionsModelTest, EveryStartLogsTheRateInForce) {
    created("[Config]\nSamplingRate=3\n");
    model.ComboBox2Change();
    model.ComboBox2Change();
    EXPECT_EQ(log.lines[2], "Sampling rate: 8");
    EXPECT_EQ(log.lines[5], "Sampling rate: 8");
    EXPECT_EQ(log.lines.size(), 6u);
}

TEST_F(OptionsModelTest, MinutesChangeClearsTheChartsAndLogs) {
    created("[Config]\nSamplingRate=5\n");
    ASSERT_TRUE(model.pickMinutes(1));
    EXPECT_EQ(model.pointsOnScreen(), 32 * 10 * 60);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"<points 19200>", "<reset series>", "Minutes on screen: 10"}));
    EXPECT_FALSE(model.pickMinutes(3));
    EXPECT_FALSE(model.pickMinutes(-1));
    EXPECT_EQ(model.minutesText(), "10");
}

TEST_F(OptionsModelTest, RefusedLogLineLeavesAveragingAndGroupsConsistent) {
    log.failCount = 1;
    EXPECT_THROW(model.pickSamplingRate(0), std::runtime_error);
    EXPECT_EQ(model.averaging(), 256);
    EXPECT_EQ(model.groupCountPerSecond(), 0);
    EXPECT_EQ(model.pointsOnScreen(), 60);
}

struct ApplyCase {
    const char* typed;
    char separator;
    const char* fieldAfter;
    double sensitivity;
    const char* stored;
    std::vector<std::string> logged;  // a refused text is named in one line
};

TEST_F(OptionsModelTest, ApplyTakesTheFieldOverAndWritesTwoKeys) {
    const ApplyCase cases[] = {
        {"0.5", '.', "0.5", 0.5, "0.5", {}},
        {"0,5", '.', "1", 1.0, "1", {"Sensitivity: \"0,5\" is not a number with a full stop; 1 nT/bit is used"}},
        {"", '.', "1", 1.0, "1", {"Sensitivity: \"\" is not a number with a full stop; 1 nT/bit is used"}},
        {" 2.393E-5", ',', " 2.393E-5", 2.393e-5, "2,393E-5", {}},
        {"1e999", '.', "1", 1.0, "1", {"Sensitivity: \"1e999\" is not a number with a full stop; 1 nT/bit is used"}},
        {"abc", '.', "1", 1.0, "1", {"Sensitivity: \"abc\" is not a number with a full stop; 1 nT/bit is used"}},
        {"2,5E-5", '.', "1", 1.0, "1", {"Sensitivity: \"2,5E-5\" is not a number with a full stop; 1 nT/bit is used"}},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path);
        OptionsModel options(file, log, c.separator);
        options.FormCreate();
        ASSERT_TRUE(options.pickSamplingRate(2));
        ASSERT_TRUE(options.typeSensitivity(c.typed));
        log.clear();
        options.Button1Click();
        EXPECT_EQ(options.sensitivityText(), c.fieldAfter) << c.typed;
        EXPECT_EQ(options.sensitivity(), c.sensitivity) << c.typed;
        EXPECT_EQ(readFile(path), std::string("[Config]\nsensitivity=") + c.stored + "\nSamplingRate=2\n") << c.typed;
        EXPECT_EQ(log.lines, c.logged) << c.typed;
        EXPECT_EQ(options.rejectedSensitivityText().has_value(), !c.logged.empty()) << c.typed;
        if (options.rejectedSensitivityText()) {
            EXPECT_EQ(*options.rejectedSensitivityText(), c.typed);
        }
    }
}

TEST_F(OptionsModelTest, RefusedTextStaysMarkedUntilTypedOverOrTakenAgain) {
    created("[Config]\nsensitivity=0.5\n");
    ASSERT_TRUE(model.typeSensitivity("abc"));
    log.clear();
    EXPECT_EQ(model.Edit1Change(), 1.0);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "Sensitivity: \"abc\" is not a number with a full stop; 1 nT/bit is used"}));
    ASSERT_TRUE(model.rejectedSensitivityText());
    // The field now holds the valid "1": a second take-over takes it and clears the mark.
    EXPECT_EQ(model.Edit1Change(), 1.0);
    EXPECT_FALSE(model.rejectedSensitivityText());
    EXPECT_EQ(log.lines.size(), 1u);
    ASSERT_TRUE(model.typeSensitivity("x"));
    model.Edit1Change();
    ASSERT_TRUE(model.rejectedSensitivityText());
    ASSERT_TRUE(model.typeSensitivity("0.25"));
    EXPECT_FALSE(model.rejectedSensitivityText());
}

TEST_F(OptionsModelTest, ApplyChangesOnlyItsTwoLines) {
    created("; mine\n[Config]\nStart=Yes\nsensitivity=2,393E-5\nGain=1\nSamplingRate=6\n[TForm1]\nFlags=0\n");
    ASSERT_TRUE(model.typeSensitivity("0.25"));
    model.Button1Click();
    EXPECT_EQ(readFile(path),
              "; mine\n[Config]\nStart=Yes\nsensitivity=0.25\nGain=1\nSamplingRate=6\n[TForm1]\nFlags=0\n");
}

TEST_F(OptionsModelTest, RefusedApplyReportsThePathWithSensitivityAlreadySet) {
    writeFile(dir.file("plain"), "x");
    SettingsFile blocked(dir.file("plain") + "/zuva.ini");
    OptionsModel options(blocked, log, '.', recordingHooks());
    ASSERT_TRUE(options.typeSensitivity("0.75"));
    try {
        options.Button1Click();
        FAIL() << "refused write not reported";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked.path());
    }
    EXPECT_EQ(options.sensitivity(), 0.75);
    EXPECT_EQ(sensitivityHook, std::vector<double>{0.75});
}

TEST_F(OptionsModelTest, TakeOverDoesNotWrite) {
    created("[Config]\nsensitivity=0,5\n");
    ASSERT_TRUE(model.typeSensitivity("0.125"));
    EXPECT_EQ(readFile(path), "[Config]\nsensitivity=0,5\n");  // typing alone changes nothing
    EXPECT_EQ(model.sensitivity(), 0.5);
    EXPECT_EQ(model.Edit1Change(), 0.125);
    EXPECT_EQ(sensitivityHook, std::vector<double>{0.125});
    ASSERT_TRUE(model.typeSensitivity("0,125"));
    EXPECT_EQ(model.Edit1Change(), 1.0);
    EXPECT_EQ(model.sensitivityText(), "1");
    EXPECT_EQ(readFile(path), "[Config]\nsensitivity=0,5\n");
}

TEST_F(OptionsModelTest, RotationChoiceLogsAndEveryHourFollowsTheCurrentHour) {
    model.RadioButton2Click();
    EXPECT_TRUE(model.everyHour());
    model.RadioButton1Click();
    EXPECT_EQ(model.rotation(), OptionsModel::Rotation::EveryMidnight);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"<follow hour>", "Open new file: Every hour",
                                                   "<follow midnight>", "Open new file: Every midnight"}));
}

TEST_F(OptionsModelTest, RunLocksTheRateSensitivityApplyAndAutostart) {
    created("[Config]\nsensitivity=0.5\nSamplingRate=4\n");
    model.setRunControlsEnabled(false);
    EXPECT_FALSE(model.samplingRateEnabled() || model.sensitivityEnabled() || model.applyEnabled() ||
                 model.autostartEnabled());
    EXPECT_FALSE(model.pickSamplingRate(8));
    EXPECT_FALSE(model.typeSensitivity("9"));
    EXPECT_FALSE(model.setAutostart(true));
    EXPECT_EQ(model.samplingRateIndex(), 4);
    EXPECT_EQ(model.sensitivityText(), "0.5");
    EXPECT_FALSE(model.autostart());
    EXPECT_TRUE(log.lines.empty());
    // The minutes and the rotation choice stay usable during a run.
    EXPECT_TRUE(model.pickMinutes(2));
    model.RadioButton2Click();
    EXPECT_TRUE(model.everyHour());

    model.setRunControlsEnabled(true);
    EXPECT_TRUE(model.setAutostart(true));
    EXPECT_TRUE(model.autostart());
    EXPECT_FALSE(model.pickSamplingRate(9));
    EXPECT_FALSE(model.pickSamplingRate(-1));
    EXPECT_EQ(model.samplingRateIndex(), 4);
}

TEST_F(OptionsModelTest, MenuShowsAndOkHides) {
    model.show();
    EXPECT_TRUE(model.visible());
    const int before = changedCount;
    model.Button2Click();
    EXPECT_FALSE(model.visible());
    EXPECT_GT(changedCount, before);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace zuva::settings

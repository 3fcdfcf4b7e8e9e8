#include "app/ProgramLifecycle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ScriptedPortSteps.h"
#include "fakes/CallJournal.h"
#include "fakes/FakeChartFeed.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDataFileSink.h"
#include "fakes/FakePort.h"
#include "fakes/FakeStatusPanels.h"
#include "fakes/FakeTimer.h"
#include "fakes/FakeVisualizationSwitch.h"
#include "fakes/RecordingLog.h"
#include "settings/GainSetting.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;
using acquisition::Control;

constexpr const char* kPort = "/dev/ttyUSB3";

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zuva-app-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The whole chain below the windows: a scripted port list, an in-memory port and
// data file, the settings file in a temporary directory.
class Program {
public:
    // unattended: as the headless recorder runs it, waiting for a missing port or
    // output directory.
    explicit Program(const fs::path& settingsPath, const std::string& currentDirectory, bool unattended = false)
        : settings(settingsPath.string()), steps(log, journal) {
        port.journal = &journal;
        steps.ports = {"/dev/ttyS0", kPort};
        auto s = services(currentDirectory);
        s.waitForStation = unattended;
        lifecycle = std::make_unique<ProgramLifecycle>(s);
    }

    std::vector<std::string> errors;
    fakes::CallJournal journal;
    fakes::RecordingLog log;
    settings::SettingsFile settings;
    fakes::FakePort port;
    testing::ScriptedPortSteps steps;
    fakes::FakeTimer timer;
    acquisition::ControlStates controls;
    fakes::FakeClock clock;
    fakes::FakeDataFileSink dataFile;
    fakes::FakeChartFeed chart;
    fakes::FakeStatusPanels panels;
    fakes::FakeVisualizationSwitch visualization;
    acquisition::Acquisition acquisition{
        {port, timer, steps, controls, log, clock, dataFile, chart, panels, visualization}};
    settings::OptionsModel options{settings, log, '.', optionsHooks()};
    settings::OutputDirectoryModel outputDirectory{log};
    acquisition::AcquisitionRun run{acquisition, steps, controls, timer, log, runHooks()};
    std::unique_ptr<ProgramLifecycle> lifecycle;
    std::string outputDirectoryInForce;

private:
    settings::OptionsHooks optionsHooks() {
        settings::OptionsHooks hooks;
        hooks.sensitivityChanged = [this](double s) { acquisition.decoder().setSensitivity(s); };
        hooks.averagingChanged = [this](std::uint16_t a, std::uint8_t) { acquisition.decoder().setAveraging(a); };
        return hooks;
    }
    acquisition::AcquisitionRun::Hooks runHooks() {
        acquisition::AcquisitionRun::Hooks hooks;
        hooks.applySamplingRate = [this] {
            options.ComboBox2Change();
            return std::stoi(std::string(options.samplingRateText()));
        };
        hooks.takeOverSensitivity = [this] { options.Edit1Change(); };
        hooks.openPort = [this] { steps.OpenPort(); };
        return hooks;
    }
    ProgramLifecycle::Services services(const std::string& currentDirectory) {
        ProgramLifecycle::Services s{settings, log, acquisition, run, timer, options, outputDirectory, steps};
        s.sleep = [this](std::chrono::milliseconds ms) { journal.add("sleep " + std::to_string(ms.count())); };
        s.raisePriority = [this] { journal.add("priority"); };
        s.reportError = [this](const std::string& message) { errors.push_back(message); };
        s.outputDirectoryChosen = [this](const std::string& d) { outputDirectoryInForce = d; };
        s.currentDirectory = currentDirectory;
        return s;
    }
};

class ProgramLifecycleTest : public ::testing::Test {
protected:
    void writeIni(const std::string& text) { std::ofstream(iniPath(), std::ios::binary) << text; }
    fs::path iniPath() const { return dir.path / "zuva.ini"; }
    std::string cwd() const { return dir.path.string(); }
    std::unique_ptr<Program> makeProgram() { return std::make_unique<Program>(iniPath(), cwd()); }

    static std::string ini(const std::string& comPort, const std::string& gain, const std::string& rate,
                           const std::string& start, const std::string& sensitivity = "2,393E-5") {
        return "[Config]\nComPort=" + comPort + "\nGain=" + gain + "\nsensitivity=" + sensitivity +
               "\nSamplingRate=" + rate + "\nStart=" + start + "\n";
    }

    TempDir dir;
};

TEST_F(ProgramLifecycleTest, FirstRunWithoutSettingsFileContactsNothingAndWritesTheSixKeys) {
    auto p = makeProgram();
    p->lifecycle->startUp();

    EXPECT_EQ(p->log.lines, (Lines{"Program is starting up.", "Error: ComPort not available!"}));
    EXPECT_EQ(p->journal.calls, (Lines{"priority"}));
    EXPECT_TRUE(p->port.sent.empty());
    EXPECT_FALSE(p->timer.active);
    EXPECT_EQ(p->outputDirectoryInForce, cwd());
    EXPECT_DOUBLE_EQ(p->acquisition.decoder().Sensitivity(), 2.393e-5);
    EXPECT_FALSE(fs::exists(iniPath()));

    p->journal.calls.clear();
    p->log.clear();
    p->lifecycle->shutDown();

    EXPECT_EQ(readFile(iniPath()), "[Config]\nsensitivity=2.393E-5\nSamplingRate=6\nOutputDirectory=" + cwd() +
                                       "\nComPort=COM99\nGain=0\nStart=Not\n");
    // "COM99" is no present port either, so the check reports it.
    EXPECT_EQ(p->log.lines, (Lines{"Error:  Comport!", "Exit program"}));
    // No port: no Stop, no closing, only the two pauses.
    EXPECT_EQ(p->journal.calls, (Lines{"sleep 200", "sleep 200"}));
    EXPECT_TRUE(p->errors.empty());
}

TEST_F(ProgramLifecycleTest, ShutDownWhileRecordingStopsAfterTheSettingsAndLogsInOrder) {
    writeIni(ini(kPort, "1", "8", "Yes"));
    auto p = makeProgram();
    p->lifecycle->startUp();

    EXPECT_EQ(p->log.lines, (Lines{"Program is starting up.", std::string("ComPort detected: ") + kPort,
                                   "Amplification: 10", "Sampling rate: 256", "Config1= 10000101"}));
    EXPECT_EQ(p->journal.calls, (Lines{"priority", "open", "send 05", "send 85"}));
    EXPECT_TRUE(p->acquisition.DataMode());
    EXPECT_TRUE(p->timer.active);
    EXPECT_EQ(p->run.RecordSize(), 256u * 12u + 4u);

    p->dataFile.name = "/data/20240630102030.zuv";
    p->journal.calls.clear();
    p->log.clear();
    p->lifecycle->shutDown();

    EXPECT_EQ(p->journal.calls, (Lines{"sleep 200", "send 05", "close", "sleep 200"}));
    EXPECT_EQ(p->port.sent, (Bytes{0x05, 0x85, 0x05}));
    EXPECT_EQ(p->log.lines, (Lines{"Stop = /data/20240630102030.zuv", "Exit program"}));
    EXPECT_FALSE(p->acquisition.DataMode());
    // Keys already in the file are replaced where they stand; the missing one is added.
    EXPECT_EQ(readFile(iniPath()), std::string("[Config]\nComPort=") + kPort +
                                       "\nGain=1\nsensitivity=2.393E-5\nSamplingRate=8\nStart=Yes\nOutputDirectory=" +
                                       cwd() + "\n");
}

struct StartCase {
    const char* name;
    const char* gain;
    const char* rate;
    const char* start;
    // Expected: the bytes sent at start-up, the rate Start applied (0: none) and the
    // Gain written back at shut-down.
    Bytes sent;
    int rateHz;
    const char* gainWritten;
    bool errorReported;
};

class StartupReadingRules : public ProgramLifecycleTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartupReadingRules, SelectsWhatTheStoredTextsSay) {
    const StartCase& c = GetParam();
    writeIni(ini(kPort, c.gain, c.rate, c.start));
    auto p = makeProgram();
    p->lifecycle->startUp();

    EXPECT_EQ(p->port.sent, c.sent);
    EXPECT_EQ(p->errors.empty(), !c.errorReported) << (p->errors.empty() ? "" : p->errors.front());
    const std::string rateLine = "Sampling rate: " + std::to_string(c.rateHz);
    const bool rateLogged = std::find(p->log.lines.begin(), p->log.lines.end(), rateLine) != p->log.lines.end();
    EXPECT_EQ(rateLogged, c.rateHz != 0);
    if (c.rateHz != 0) {
        EXPECT_EQ(p->run.RecordSize(), static_cast<std::uint32_t>(c.rateHz) * 12u + 4u);
    }
    // A GPS request instead of a run: the buttons wait for the answer.
    EXPECT_EQ(p->acquisition.PositionRequestPending(), c.rateHz == 0);
    EXPECT_TRUE(p->timer.active);

    p->lifecycle->shutDown();
    const std::string file = readFile(iniPath());
    EXPECT_NE(file.find(std::string("\nGain=") + c.gainWritten + "\n"), std::string::npos) << file;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartupReadingRules,
    ::testing::Values(StartCase{"Defaults", "0", "6", "Yes", {0x04, 0x84}, 64, "0", false},
                      StartCase{"Gain1000Rate1", "3", "0", "Yes", {0x07, 0x87}, 1, "3", false},
                      StartCase{"RateAboveEight", "0", "9", "Yes", {0x04, 0x84}, 64, "0", false},
                      StartCase{"RateNegative", "0", "-1", "Yes", {0x04, 0x84}, 64, "0", false},
                      StartCase{"RateLowEightBits", "0", "258", "Yes", {0x04, 0x84}, 4, "0", false},
                      StartCase{"RateNotInteger", "0", "x", "Yes", {0x04, 0x84}, 64, "0", false},
                      StartCase{"StartLowerCaseAsksForGps", "2", "6", "yes", {0x06, 0x96}, 0, "2", false},
                      StartCase{"StartNotAsksForGps", "0", "6", "Not", {0x04, 0x94}, 0, "0", false},
                      // Unusable gains select gain 1 and the port is still opened and set.
                      StartCase{"GainOutOfRange", "7", "6", "Yes", {0x04, 0x84}, 64, "0", false},
                      StartCase{"GainNegative", "-1", "6", "Yes", {0x04, 0x84}, 64, "0", false},
                      StartCase{"GainNotInteger", "x", "6", "Yes", {0x04, 0x84}, 64, "0", true}),
    [](const ::testing::TestParamInfo<StartCase>& row) { return std::string(row.param.name); });

TEST_F(ProgramLifecycleTest, GainOutsideTheListIsLoggedAndGainOneTaken) {
    writeIni(ini(kPort, "7", "6", "Not"));
    auto p = makeProgram();
    p->lifecycle->startUp();
    const auto expected = settings::GainSetting::read("7").logLine;
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(p->log.lines, (Lines{"Program is starting up.", std::string("ComPort detected: ") + kPort, *expected,
                                   "Amplification: 1"}));
    EXPECT_EQ(p->lifecycle->gainIndex(), 0);
}

TEST_F(ProgramLifecycleTest, AbsentStoredPortMeansNoStartNoGpsAndNoStopAtShutDown) {
    writeIni(ini("/dev/ttyGONE", "2", "6", "Yes"));
    auto p = makeProgram();
    p->lifecycle->startUp();
    EXPECT_EQ(p->log.lines, (Lines{"Program is starting up.", "Error: ComPort not available!"}));
    EXPECT_TRUE(p->port.sent.empty());
    EXPECT_FALSE(p->timer.active);
    EXPECT_FALSE(p->acquisition.DataMode());
    p->lifecycle->shutDown();
    const std::string file = readFile(iniPath());
    // A port that is away keeps its setting: the next start looks for it again.
    EXPECT_NE(file.find("\nComPort=/dev/ttyGONE\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\nGain=2\n"), std::string::npos) << file;  // the selection is kept
    EXPECT_TRUE(p->port.sent.empty());
}

TEST_F(ProgramLifecycleTest, PortUnpluggedDuringTheRunSkipsStopAndClose) {
    writeIni(ini(kPort, "0", "6", "Yes"));
    auto p = makeProgram();
    p->lifecycle->startUp();
    p->steps.ports = {"/dev/ttyS0"};
    p->log.clear();
    p->journal.calls.clear();

    p->lifecycle->shutDown();

    EXPECT_EQ(p->log.lines, (Lines{"Error:  Comport!", "Exit program"}));
    EXPECT_EQ(p->journal.calls, (Lines{"sleep 200", "sleep 200"}));
    // The unplugged port keeps its setting.
    EXPECT_NE(readFile(iniPath()).find(std::string("\nComPort=") + kPort + "\n"), std::string::npos);
}

TEST_F(ProgramLifecycleTest, UnreadablePortListAtShutDownStillWritesStopsAndCloses) {
    writeIni(ini(kPort, "0", "6", "Yes"));
    auto p = makeProgram();
    p->lifecycle->startUp();
    p->steps.listFails = true;
    p->log.clear();
    p->journal.calls.clear();

    p->lifecycle->shutDown();

    ASSERT_GE(p->errors.size(), 1u);
    EXPECT_EQ(p->errors.front(), "Registry error (system error code: 2)");
    EXPECT_EQ(p->journal.calls, (Lines{"sleep 200", "send 04", "close", "sleep 200"}));
    EXPECT_EQ(p->log.lines, (Lines{"Stop = TEST.ZUV", "Exit program"}));
    EXPECT_NE(readFile(iniPath()).find(std::string("\nComPort=") + kPort + "\n"), std::string::npos);
}

TEST_F(ProgramLifecycleTest, RefusedSettingsWriteIsReportedAndShutDownGoesOn) {
    // The settings file lies in a directory that does not exist: every write is refused.
    const fs::path missing = dir.path / "missing" / "zuva.ini";
    Program p(missing, cwd());
    p.steps.ports = {kPort};
    p.settings.readConfig("ComPort", "COM99");  // reads of a missing file give defaults
    p.lifecycle->startUp();
    EXPECT_TRUE(p.port.sent.empty());  // default COM99: no port

    // A port chosen later in the run.
    p.steps.selected = kPort;
    p.steps.OpenPort();
    p.run.Button1Click();
    p.log.clear();
    p.journal.calls.clear();

    p.lifecycle->shutDown();

    ASSERT_EQ(p.errors.size(), 6u);
    for (const std::string& e : p.errors) EXPECT_EQ(e.rfind("Unable to write to " + missing.string(), 0), 0u) << e;
    ASSERT_EQ(p.log.lines.size(), 8u);
    EXPECT_EQ(p.log.lines[6], "Stop = TEST.ZUV");
    EXPECT_EQ(p.log.lines[7], "Exit program");
    EXPECT_EQ(p.journal.calls, (Lines{"sleep 200", "send 04", "close", "sleep 200"}));
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(ProgramLifecycleTest, GpsRequestAtStartUpWithoutAnswerGivesTheButtonsBack) {
    writeIni(ini(kPort, "0", "6", "Not"));
    auto p = makeProgram();
    p->lifecycle->startUp();
    ASSERT_TRUE(p->timer.active);
    EXPECT_FALSE(p->controls.isEnabled(Control::StartButton));
    EXPECT_FALSE(p->controls.isEnabled(Control::StopButton));

    p->run.Timer5Timer();

    EXPECT_EQ(p->log.lines.back(), acquisition::AcquisitionRun::kNoResponseLine);
    EXPECT_TRUE(p->controls.isEnabled(Control::StartButton));
    EXPECT_TRUE(p->controls.isEnabled(Control::StopButton));
    EXPECT_TRUE(p->controls.isEnabled(Control::GpsButton));
}

TEST_F(ProgramLifecycleTest, GainChangedInTheRunIsWhatShutDownStores) {
    writeIni(ini(kPort, "0", "6", "Not"));
    auto p = makeProgram();
    p->lifecycle->startUp();
    p->lifecycle->GainBoxChange(3);
    EXPECT_EQ(p->port.sent.back(), 0x97);
    p->lifecycle->shutDown();
    EXPECT_NE(readFile(iniPath()).find("\nGain=3\n"), std::string::npos);
}

// Unattended, a stored port that is not there yet is waited for; when it appears the
// rest of the start-up runs exactly as if it had been there from the start.
TEST_F(ProgramLifecycleTest, UnattendedStartWaitsForItsPortThenStartsAsIfItHadBeenThere) {
    writeIni(ini(kPort, "1", "8", "Yes"));
    auto reference = makeProgram();
    reference->lifecycle->startUp();

    Program p(iniPath(), cwd(), true);
    p.steps.ports = {"/dev/ttyS0"};
    p.lifecycle->startUp();
    EXPECT_EQ(p.log.lines, (Lines{"Program is starting up.", "Error: ComPort not available!",
                                  std::string("Waiting for ComPort: ") + kPort + " (looked for again every second)"}));
    EXPECT_TRUE(p.lifecycle->waitingForPort());
    EXPECT_FALSE(p.lifecycle->waitingForDirectory());
    p.lifecycle->retryStation();
    p.lifecycle->retryStation();
    EXPECT_EQ(p.log.lines.size(), 3u);  // the wait is said once
    EXPECT_TRUE(p.port.sent.empty());
    EXPECT_FALSE(p.acquisition.DataMode());

    p.steps.ports = {"/dev/ttyS0", kPort};
    p.log.clear();
    p.lifecycle->retryStation();
    EXPECT_FALSE(p.lifecycle->waitingForStation());
    const Lines expected(reference->log.lines.begin() + 1, reference->log.lines.end());
    EXPECT_EQ(p.log.lines, expected);
    EXPECT_EQ(p.port.sent, reference->port.sent);
    EXPECT_EQ(p.port.sent, (Bytes{0x05, 0x85}));
    EXPECT_TRUE(p.acquisition.DataMode());
    EXPECT_EQ(p.run.RecordSize(), reference->run.RecordSize());
    p.lifecycle->retryStation();  // nothing more to do
    EXPECT_EQ(p.log.lines, expected);
}

// A port that appears but cannot be opened yet (busy) is said once and tried again
// every second, without detecting it again each time.
TEST_F(ProgramLifecycleTest, AnAwaitedPortThatCannotBeOpenedYetIsTriedAgainQuietly) {
    writeIni(ini(kPort, "0", "6", "Not"));
    Program p(iniPath(), cwd(), true);
    p.steps.ports = {};
    p.lifecycle->startUp();
    p.steps.ports = {kPort};
    p.steps.openFails = 2;
    p.log.clear();
    p.lifecycle->retryStation();
    p.lifecycle->retryStation();
    EXPECT_TRUE(p.lifecycle->waitingForPort());
    EXPECT_TRUE(p.port.sent.empty());
    p.lifecycle->retryStation();
    EXPECT_FALSE(p.lifecycle->waitingForStation());
    EXPECT_EQ(p.log.lines,
              (Lines{std::string("ComPort detected: ") + kPort,
                     std::string("Error: ComPort not opened: ") + kPort + ": Unable to open com port (system error code: 16)",
                     std::string("ComPort opened: ") + kPort, "Amplification: 1"}));
    EXPECT_EQ(p.port.sent, (Bytes{0x04, 0x94}));  // the gain, then the GPS request
}

TEST_F(ProgramLifecycleTest, ShutDownWhileWaitingForThePortKeepsItsNameAndContactsNothing) {
    writeIni(ini(kPort, "2", "6", "Not"));
    Program p(iniPath(), cwd(), true);
    p.steps.ports = {};
    p.lifecycle->startUp();
    p.log.clear();
    p.journal.calls.clear();
    p.lifecycle->shutDown();
    EXPECT_FALSE(p.lifecycle->waitingForStation());
    EXPECT_EQ(p.log.lines, (Lines{"Error:  Comport!", "Exit program"}));
    EXPECT_EQ(p.journal.calls, (Lines{"sleep 200", "sleep 200"}));
    EXPECT_TRUE(p.port.sent.empty());
    EXPECT_EQ(readFile(iniPath()), std::string("[Config]\nComPort=") + kPort +
                                       "\nGain=2\nsensitivity=2.393E-5\nSamplingRate=6\nStart=Not\nOutputDirectory=" +
                                       cwd() + "\n");
    // A port of the list failing meanwhile is no reason to wait on after shut-down.
    p.steps.ports = {kPort};
    p.lifecycle->retryStation();
    EXPECT_EQ(p.log.lines.size(), 2u);
}

TEST_F(ProgramLifecycleTest, UnattendedStartWaitsForAMissingOutputDirectoryAndNeverUsesTheCurrentOne) {
    const fs::path data = dir.path / "disk" / "data";
    writeIni(ini(kPort, "0", "6", "Yes") + "OutputDirectory=" + data.string() + "\n");
    Program p(iniPath(), cwd(), true);
    p.lifecycle->startUp();
    EXPECT_EQ(p.log.lines, (Lines{"Program is starting up.", std::string("ComPort detected: ") + kPort,
                                  "Amplification: 1", "Output directory not found: " + data.string() + "; waiting for it"}));
    EXPECT_TRUE(p.lifecycle->waitingForDirectory());
    EXPECT_EQ(p.outputDirectoryInForce, data.string());  // never the current directory
    EXPECT_FALSE(p.acquisition.DataMode());               // no recording before the disk is there
    p.lifecycle->retryStation();
    EXPECT_EQ(p.log.lines.size(), 4u);

    fs::create_directories(data);
    p.log.clear();
    p.lifecycle->retryStation();
    EXPECT_EQ(p.log.lines, (Lines{"Output directory found: " + data.string(), "Sampling rate: 64", "Config1= 10000100"}));
    EXPECT_TRUE(p.acquisition.DataMode());
    EXPECT_EQ(p.outputDirectory.fieldText(), data.string());

    p.lifecycle->shutDown();
    EXPECT_NE(readFile(iniPath()).find("\nOutputDirectory=" + data.string() + "\n"), std::string::npos);
}

TEST_F(ProgramLifecycleTest, AMissingOutputDirectoryIsSaidAndKeptInTheSettingsWithTheWindow) {
    const fs::path data = dir.path / "unmounted";
    writeIni(ini("COM99", "0", "6", "Not") + "OutputDirectory=" + data.string() + "\n");
    auto p = makeProgram();
    p->lifecycle->startUp();
    EXPECT_EQ(p->log.lines, (Lines{"Program is starting up.", "Error: ComPort not available!",
                                   "Output directory not found: " + data.string() + "; data files go to " + cwd() +
                                       " until another is chosen"}));
    EXPECT_EQ(p->outputDirectoryInForce, cwd());
    EXPECT_FALSE(p->lifecycle->waitingForStation());
    p->lifecycle->shutDown();
    EXPECT_NE(readFile(iniPath()).find("\nOutputDirectory=" + data.string() + "\n"), std::string::npos)
        << readFile(iniPath());

    // A directory the user chooses replaces it.
    auto q = makeProgram();
    q->lifecycle->startUp();
    ASSERT_TRUE(q->outputDirectory.DirectoryListBox1Click(0));
    q->lifecycle->shutDown();
    EXPECT_NE(readFile(iniPath()).find("\nOutputDirectory=" + q->outputDirectory.fieldText() + "\n"),
              std::string::npos);
    EXPECT_NE(q->outputDirectory.fieldText(), data.string());
}

}  // namespace
}  // namespace zuva::app

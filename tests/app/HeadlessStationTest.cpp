// zuva-logger --headless as an unattended station: started before its instrument or
// its data disk is there, run as a notify service, stopped while its port is away.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "../service/NotifySocket.h"
#include "ChildProcess.h"
#include "TestDirectory.h"
#include "SimJournal.h"
#include "recording/SecondRecordEncoder.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::readFile;
using testing::readLines;

std::vector<std::string> logMessages(const fs::path& log) {
    std::vector<std::string> messages;
    for (const auto& line : readLines(log)) messages.push_back(testing::messageOf(line));
    return messages;
}

bool logged(const fs::path& log, const std::string& prefix) {
    for (const auto& m : logMessages(log)) {
        if (m.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

// Waits up to `limit` for a condition, looking every 100 ms.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

std::vector<fs::path> dataFilesIn(const fs::path& directory) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        if (entry.path().extension() == ".zuv") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The journal copy of a message: its severity, then the message.
std::string journalLine(const std::string& m) {
    return (m.rfind("Error", 0) == 0 ? "<3>" : m.rfind("Warning", 0) == 0 ? "<4>" : "<6>") + m;
}

class HeadlessStation : public ::testing::Test {
protected:
    void SetUp() override {
        env = {"XDG_RUNTIME_DIR=" + dir.string()};
        port = (dir / "zuva-ports" / "late").string();
    }
    void writeIni(const std::string& comPort, const fs::path& output, const char* start = "Yes") {
        std::ofstream(dir / "zuva.ini") << "[Config]\nComPort=" << comPort
                                        << "\nGain=0\nsensitivity=2,393E-5\nSamplingRate=6\nStart=" << start
                                        << "\nOutputDirectory=" << output.string() << "\n";
    }
    std::unique_ptr<testing::ChildProcess> startLogger(std::vector<std::string> extraEnv = {}) {
        extraEnv.insert(extraEnv.end(), env.begin(), env.end());
        return std::make_unique<testing::ChildProcess>(
            ZUVA_BIN_DIR "/zuva-logger", std::vector<std::string>{"--headless", "--config", (dir / "zuva.ini").string()},
            dir.string(), extraEnv, (dir / "logger.out").string(), (dir / "logger.err").string());
    }
    std::unique_ptr<testing::ChildProcess> startSim() {
        auto sim = std::make_unique<testing::ChildProcess>(
            ZUVA_BIN_DIR "/zuva-sim", std::vector<std::string>{"--name", "late"}, dir.string(), env,
            (dir / "sim.out").string(), (dir / "sim.err").string());
        EXPECT_EQ(testing::registeredPortOfSim(dir / "sim.out"), port) << readFile(dir / "sim.err");
        return sim;
    }
    bool recordedSeconds(std::size_t n) { return readLines(dir / "logger.out").size() >= n; }

    testing::TestDirectory scratch{"zuva-station"};
    const fs::path dir = scratch.path();
    std::vector<std::string> env;
    std::string port;
};

// The port named in the settings appears 5 s after the start: the logger says it
// waits, picks the port up, records, and the settings file still names the port.
// Run as a notify service, it tells the manager READY, what it waits for, that it
// records, and feeds the watchdog.
TEST_F(HeadlessStation, WaitsForALatePortThenRecordsAndKeepsItsName) {
    fs::create_directory(dir / "data");
    writeIni(port, dir / "data");
    service::testing::NotifySocket socket;
    service::testing::NotifyCollector notify(socket);
    auto logger = startLogger({"NOTIFY_SOCKET=" + socket.path(), "WATCHDOG_USEC=2000000"});
    ASSERT_TRUE(waitFor([&] { return logged(dir / "zuva.log", "Waiting for ComPort: "); }, 20s))
        << readFile(dir / "logger.err");
    ASSERT_TRUE(notify.waitFor([](const std::string& m) { return m.rfind("STATUS=", 0) == 0; }, 20s));
    {
        const auto first = notify.messages();
        ASSERT_GE(first.size(), 2u);
        EXPECT_EQ(first[0], "READY=1");
        EXPECT_EQ(first[1], "STATUS=Waiting for the port " + port);
    }
    std::this_thread::sleep_for(5s);  // the instrument is switched on 5 s later
    ASSERT_TRUE(logger->running()) << readFile(dir / "logger.err");
    auto sim = startSim();
    ASSERT_TRUE(waitFor([&] { return recordedSeconds(4); }, 30s)) << readFile(dir / "zuva.log");

    // Meanwhile the manager heard the watchdog and, once recording, the last second.
    const std::regex recordingStatus(R"(STATUS=Recording; last second \d{4}-\d\d-\d\d \d\d:\d\d:\d\d; backlog 0 s)");
    EXPECT_TRUE(notify.waitFor([&](const std::string& m) { return std::regex_match(m, recordingStatus); }, 10s));
    EXPECT_TRUE(notify.waitFor([](const std::string& m) { return m == "WATCHDOG=1"; }, 10s));

    logger->signal(SIGTERM);
    ASSERT_EQ(logger->wait(15s), 0) << readFile(dir / "logger.err");
    EXPECT_TRUE(notify.waitFor([](const std::string& m) { return m == "STOPPING=1"; }, 5s));
    sim->signal(SIGTERM);
    EXPECT_EQ(sim->wait(5s), 0);

    const std::vector<std::string> log = logMessages(dir / "zuva.log");
    ASSERT_GE(log.size(), 10u) << readFile(dir / "zuva.log");
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3),
              (std::vector<std::string>{"Program is starting up.", "Error: ComPort not available!",
                                        "Waiting for ComPort: " + port + " (looked for again every second)"}));
    EXPECT_TRUE(std::regex_match(log[3], std::regex(R"(Disk space: \d+\.\d days of recording left in .*/data)")))
        << log[3];
    EXPECT_EQ(std::vector<std::string>(log.begin() + 4, log.begin() + 8),
              (std::vector<std::string>{"ComPort detected: " + port, "Amplification: 1", "Sampling rate: 64",
                                        "Config1= 10000100"}));
    const std::vector<fs::path> files = dataFilesIn(dir / "data");
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(log[log.size() - 2], "Stop = " + files.back().string());
    EXPECT_EQ(log.back(), "Exit program");
    EXPECT_EQ(dataFilesIn(dir), std::vector<fs::path>{});
    const std::size_t recordSize = recording::SecondRecordEncoder::recordSize(64);
    std::size_t records = 0;
    for (const auto& file : files) records += testing::recordsOf(file, recordSize).records.size();
    EXPECT_GE(records, 4u);

    // The journal copy: every message with its severity, in order.
    std::vector<std::string> journal;
    for (const auto& m : log) journal.push_back(journalLine(m));
    EXPECT_EQ(readLines(dir / "logger.err"), journal);

    const std::string settings = readFile(dir / "zuva.ini");
    EXPECT_NE(settings.find("\nComPort=" + port + "\n"), std::string::npos) << settings;
}

// SIGTERM while the port is still away: the shut-down keeps the port's name.
TEST_F(HeadlessStation, SigtermWhileThePortIsAwayKeepsItsName) {
    fs::create_directory(dir / "data");
    writeIni(port, dir / "data", "Not");
    auto logger = startLogger();
    ASSERT_TRUE(waitFor([&] { return logged(dir / "zuva.log", "Waiting for ComPort: "); }, 20s))
        << readFile(dir / "logger.err");
    logger->signal(SIGTERM);
    ASSERT_EQ(logger->wait(15s), 0) << readFile(dir / "logger.err");
    const std::vector<std::string> log = logMessages(dir / "zuva.log");
    ASSERT_EQ(log.size(), 6u) << readFile(dir / "zuva.log");
    EXPECT_EQ(log[4], "Error:  Comport!");
    EXPECT_EQ(log[5], "Exit program");
    EXPECT_EQ(readFile(dir / "zuva.ini"), "[Config]\nComPort=" + port +
                                              "\nGain=0\nsensitivity=2.393E-5\nSamplingRate=6\nStart=Not\nOutputDirectory=" +
                                              (dir / "data").string() + "\n");
    EXPECT_EQ(readFile(dir / "logger.out"), "");
}

// The data disk is mounted 5 s after the start: the files go there once it is, the
// current directory receives none, and the setting is kept.
TEST_F(HeadlessStation, AnOutputDirectoryThatAppearsLaterReceivesTheFiles) {
    auto sim = startSim();
    const fs::path later = dir / "disk" / "data";
    writeIni(port, later);
    auto logger = startLogger();
    ASSERT_TRUE(waitFor([&] { return logged(dir / "zuva.log", "Output directory not found: "); }, 20s))
        << readFile(dir / "logger.err");
    std::this_thread::sleep_for(5s);
    EXPECT_EQ(readFile(dir / "logger.out"), "");  // nothing recorded meanwhile
    fs::create_directories(later);
    ASSERT_TRUE(waitFor([&] { return recordedSeconds(3); }, 30s)) << readFile(dir / "zuva.log");
    logger->signal(SIGTERM);
    ASSERT_EQ(logger->wait(15s), 0) << readFile(dir / "logger.err");
    sim->signal(SIGTERM);
    EXPECT_EQ(sim->wait(5s), 0);

    const std::vector<std::string> log = logMessages(dir / "zuva.log");
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
              (std::vector<std::string>{"Program is starting up.", "ComPort detected: " + port, "Amplification: 1",
                                        "Output directory not found: " + later.string() + "; waiting for it",
                                        "Output directory found: " + later.string()}));
    EXPECT_EQ(log[5], "Sampling rate: 64");
    EXPECT_EQ(log[6], "Config1= 10000100");
    EXPECT_FALSE(dataFilesIn(later).empty());
    EXPECT_EQ(dataFilesIn(dir), std::vector<fs::path>{});
    const std::string settings = readFile(dir / "zuva.ini");
    EXPECT_NE(settings.find("\nOutputDirectory=" + later.string() + "\n"), std::string::npos) << settings;
}

// The headless options for what the window holds unsaved.
TEST_F(HeadlessStation, EveryHourAndRemarksFromTheCommandLine) {
    auto sim = startSim();
    fs::create_directory(dir / "data");
    writeIni(port, dir / "data");
    testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger",
                                 {"--headless", "--every-hour", "--remarks", "Site 4, north pier", "--config",
                                  (dir / "zuva.ini").string()},
                                 dir.string(), env, (dir / "logger.out").string(), (dir / "logger.err").string());
    ASSERT_TRUE(waitFor([&] { return recordedSeconds(2); }, 30s)) << readFile(dir / "zuva.log");
    logger.signal(SIGTERM);
    ASSERT_EQ(logger.wait(15s), 0) << readFile(dir / "logger.err");
    sim->signal(SIGTERM);
    EXPECT_EQ(sim->wait(5s), 0);
    const std::vector<std::string> log = logMessages(dir / "zuva.log");
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
              (std::vector<std::string>{"Program is starting up.", "ComPort detected: " + port, "Amplification: 1",
                                        "Open new file: Every hour", "Sampling rate: 64"}));
    const std::vector<fs::path> files = dataFilesIn(dir / "data");
    ASSERT_FALSE(files.empty());
    EXPECT_NE(readFile(files.front()).find("Site 4, north pier"), std::string::npos);
}

TEST(HeadlessOptions, EveryHourAndRemarksNeedHeadless) {
    const fs::path dir = fs::temp_directory_path();
    const fs::path err = dir / ("zuva-options-" + std::to_string(::getpid()) + ".err");
    testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--every-hour"}, dir.string(), {}, "/dev/null",
                                 err.string());
    EXPECT_EQ(logger.wait(10s), 2);
    EXPECT_EQ(readFile(err).rfind("zuva-logger: --every-hour and --remarks go with --headless; the window has them "
                                  "in its Options and Remarks dialogs\n",
                                  0),
              0u);
    fs::remove(err);
}

}  // namespace
}  // namespace zuva::app

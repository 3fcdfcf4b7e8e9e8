// zuva-logger --headless recording from zuva-sim over a real pseudo-terminal, each
// run in a private directory with its own ports directory (XDG_RUNTIME_DIR).
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "HeadlessRun.h"
#include "TestDirectory.h"
#include "SimJournal.h"
#include "recording/SecondRecordEncoder.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::expectedRecord;
using testing::headerLength;
using testing::Journal;
using testing::JournalSecond;
using testing::messageOf;
using testing::readFile;
using testing::readJournal;
using testing::readLines;

struct RateCase {
    int rateIndex;
    int rate;
};

class HeadlessRecorder : public ::testing::TestWithParam<RateCase> {
protected:
    void SetUp() override {
        fs::create_directory(dir / "data");
    }
    testing::TestDirectory scratch{"zuva-e2e"};
    const fs::path dir = scratch.path();
};

TEST_P(HeadlessRecorder, RecordsEverySecondUntilSigtermAndShutsDownCleanly) {
    const RateCase c = GetParam();
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + dir.string()};
    const fs::path journalPath = dir / "journal.txt";
    testing::ChildProcess sim(ZUVA_BIN_DIR "/zuva-sim", {"--name", "e2e", "--journal", journalPath.string()},
                              dir.string(), env, (dir / "sim.out").string(), (dir / "sim.err").string());
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");
    EXPECT_EQ(port, (dir / "zuva-ports" / "e2e").string());

    const testing::HeadlessRun run = testing::recordHeadlessFor(dir, env, port, c.rateIndex, 11s);
    ASSERT_TRUE(run.ranToTheEnd) << readFile(dir / "logger.err");
    ASSERT_EQ(run.exitCode, 0) << readFile(dir / "logger.err");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(5s), 0);

    const Journal journal = readJournal(journalPath);
    ASSERT_GE(journal.received.size(), 3u);
    // Gain, Start, then Stop last.
    EXPECT_EQ(journal.received[0].second, 0x04);
    EXPECT_EQ(journal.received[1].second, 0x84);
    EXPECT_EQ(journal.received.back().second, 0x04);
    const double stoppedAt = journal.received.back().first;

    // Every data file, in name order, and their records.
    const std::vector<fs::path> files = testing::filesIn(dir / "data");
    ASSERT_FALSE(files.empty());
    const std::size_t recordSize = recording::SecondRecordEncoder::recordSize(static_cast<std::size_t>(c.rate));
    testing::RecordsOfFiles all = testing::recordsOfFiles(files, recordSize);
    ASSERT_EQ(all.fault, "");
    const std::vector<std::vector<std::uint8_t>> records = std::move(all.records);
    ASSERT_GE(records.size(), 7u);

    // The first record's second in the stream; from there every second, byte for byte.
    const auto& first = records.front();
    auto start = std::find_if(journal.seconds.begin(), journal.seconds.end(), [&](const JournalSecond& s) {
        return s.hour == first[1] && s.minute == first[2] && s.second == first[3];
    });
    ASSERT_NE(start, journal.seconds.end());
    const std::size_t firstIndex = static_cast<std::size_t>(start - journal.seconds.begin());
    ASSERT_LE(firstIndex + records.size(), journal.seconds.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const JournalSecond& sec = journal.seconds[firstIndex + i];
        ASSERT_TRUE(sec.complete()) << i;
        EXPECT_EQ(records[i], expectedRecord(sec, c.rate)) << "record " << i << " at " << sec.hour << ":"
                                                           << sec.minute << ":" << sec.second;
    }

    // The last record is the last second completed before Stop; only a second whose
    // last frame was still on the line when Stop came may be missing.
    std::size_t lastComplete = 0;
    for (std::size_t i = 0; i < journal.seconds.size(); ++i) {
        if (journal.seconds[i].complete() && journal.seconds[i].lastFrameAt < stoppedAt) lastComplete = i;
    }
    const std::size_t lastRecorded = firstIndex + records.size() - 1;
    if (lastRecorded + 1 == lastComplete) {
        EXPECT_GT(journal.seconds[lastComplete].lastFrameAt, stoppedAt - 0.6);
    } else {
        EXPECT_EQ(lastRecorded, lastComplete);
    }

    // One status line per recorded second.
    const auto out = readLines(dir / "logger.out");
    EXPECT_EQ(out.size(), records.size());
    if (!out.empty()) {
        EXPECT_NE(out.back().find(files.back().string()), std::string::npos) << out.back();
    }

    // The event log, in order.
    std::vector<std::string> log;
    for (const auto& line : readLines(dir / "zuva.log")) log.push_back(messageOf(line));
    ASSERT_GE(log.size(), 7u);
    const std::vector<std::string> expectedStart{"Program is starting up.", "ComPort detected: " + port,
                                                 "Amplification: 1", "Sampling rate: " + std::to_string(c.rate),
                                                 "Config1= 10000100"};
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5), expectedStart);
    EXPECT_EQ(log[log.size() - 2], "Stop = " + files.back().string());
    EXPECT_EQ(log.back(), "Exit program");
    EXPECT_NE(std::find(log.begin(), log.end(), "Start= " + files.front().string()), log.end());
    for (const auto& message : log) {
        EXPECT_EQ(message.find("System does not respond"), std::string::npos) << message;
        EXPECT_EQ(message.find("Error"), std::string::npos) << message;
    }

    // Shut-down wrote the six keys back.
    const std::string settings = readFile(dir / "zuva.ini");
    EXPECT_NE(settings.find("\nComPort=" + port + "\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\nSamplingRate=" + std::to_string(c.rateIndex) + "\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\nStart=Yes\n"), std::string::npos) << settings;
}

INSTANTIATE_TEST_SUITE_P(Rates, HeadlessRecorder, ::testing::Values(RateCase{6, 64}, RateCase{8, 256}),
                         [](const ::testing::TestParamInfo<RateCase>& row) {
                             return std::to_string(row.param.rate) + "Hz";
                         });

// The output directory goes away during the run (a drive unmounted) and comes back:
// the logger never makes the directory itself, the status line counts the seconds
// waiting, and once the directory is back the file is created again with its header
// and every waiting second; the two files hold every second, byte for byte.
TEST(HeadlessRecorderOutage, DirectoryGoneAndBackLosesNoSecond) {
    const testing::TestDirectory scratch("zuva-e2e");
    const fs::path dir = scratch.path();
    const fs::path data = dir / "data";
    const fs::path away = dir / "away";
    fs::create_directory(data);
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + dir.string()};
    const fs::path journalPath = dir / "journal.txt";
    testing::ChildProcess sim(ZUVA_BIN_DIR "/zuva-sim", {"--name", "outage", "--journal", journalPath.string()},
                              dir.string(), env, (dir / "sim.out").string(), (dir / "sim.err").string());
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");
    const fs::path ini = dir / "zuva.ini";
    std::ofstream(ini) << "[Config]\nComPort=" << port
                       << "\nGain=0\nsensitivity=2,393E-5\nSamplingRate=6\nStart=Yes\nOutputDirectory="
                       << data.string() << "\n";
    testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--headless", "--config", ini.string()},
                                 dir.string(), env, (dir / "logger.out").string(), (dir / "logger.err").string());
    for (int i = 0; i < 400 && readLines(dir / "logger.out").size() < 2; ++i) std::this_thread::sleep_for(25ms);
    ASSERT_GE(readLines(dir / "logger.out").size(), 2u) << readFile(dir / "logger.err");

    fs::rename(data, away);
    std::this_thread::sleep_for(3500ms);
    EXPECT_FALSE(fs::exists(data));
    fs::create_directory(data);
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(logger.running()) << readFile(dir / "logger.err");
    logger.signal(SIGTERM);
    ASSERT_EQ(logger.wait(10s), 0) << readFile(dir / "logger.err");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(5s), 0);

    // One file, first in the directory that went away, then created again.
    std::vector<fs::path> before, after;
    for (const auto& entry : fs::directory_iterator(away)) before.push_back(entry.path());
    for (const auto& entry : fs::directory_iterator(data)) after.push_back(entry.path());
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(before[0].filename(), after[0].filename());
    const std::size_t recordSize = recording::SecondRecordEncoder::recordSize(64);
    testing::RecordsOfFiles all = testing::recordsOfFiles({before[0], after[0]}, recordSize);
    ASSERT_EQ(all.fault, "");
    const std::vector<std::vector<std::uint8_t>> records = std::move(all.records);
    const Journal journal = readJournal(journalPath);
    ASSERT_GE(records.size(), 6u);
    const auto& first = records.front();
    auto start = std::find_if(journal.seconds.begin(), journal.seconds.end(), [&](const JournalSecond& s) {
        return s.hour == first[1] && s.minute == first[2] && s.second == first[3];
    });
    ASSERT_NE(start, journal.seconds.end());
    const std::size_t firstIndex = static_cast<std::size_t>(start - journal.seconds.begin());
    ASSERT_LE(firstIndex + records.size(), journal.seconds.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i], expectedRecord(journal.seconds[firstIndex + i], 64)) << "record " << i;
    }

    // The status line counted the waiting seconds, and stopped once they were written.
    const auto out = readLines(dir / "logger.out");
    EXPECT_EQ(out.size(), records.size());
    std::size_t waitingLines = 0;
    for (const auto& line : out) {
        if (line.find("  Not yet written: ") != std::string::npos) ++waitingLines;
    }
    EXPECT_GE(waitingLines, 2u);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back().find("Not yet written"), std::string::npos) << out.back();

    std::vector<std::string> log;
    for (const auto& line : readLines(dir / "zuva.log")) log.push_back(messageOf(line));
    const std::string name = (data / after[0].filename()).string();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "Error: data file " + name +
                            " not written: No such file or directory (I/O error 2); seconds wait in memory"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Data file was missing, created again with its header: " + name),
              log.end());
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& m) { return m.rfind("Data file written again: ", 0) == 0; }),
              1);
}

// zuva-logger without a port, interrupted by `signal` once start-up has logged
// its first lines: the exit code, the log's messages and the settings file written.
struct Interrupted {
    int exitCode = -1;
    std::vector<std::string> log;
    std::string settings;
    std::string errors;
};

Interrupted interruptWithoutPort(const fs::path& dir, std::vector<std::string> args,
                                 std::vector<std::string> environment, int signal, const fs::path& ini) {
    args.insert(args.end(), {"--config", ini.string()});
    environment.insert(environment.end(), {"XDG_RUNTIME_DIR=" + dir.string(), "LC_ALL=C"});
    testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", args, dir.string(), environment,
                                 (dir / "logger.out").string(), (dir / "logger.err").string());
    for (int i = 0; i < 1000 && readLines(dir / "zuva.log").size() < 2; ++i) std::this_thread::sleep_for(10ms);
    // Give the event loop time to run, then interrupt.
    std::this_thread::sleep_for(300ms);
    logger.signal(signal);
    Interrupted result;
    result.exitCode = logger.wait(20s);
    for (const auto& line : readLines(dir / "zuva.log")) result.log.push_back(messageOf(line));
    result.settings = readFile(ini);
    result.errors = readFile(dir / "logger.err");
    return result;
}

// The log of a start without the port ended by a signal, in the window and headless
// alike: the start-up's lines, the days of recording the disk holds (a number that
// depends on the disk), the shut-down's lines.
void expectLogWithoutPort(const std::vector<std::string>& log, const fs::path& dir) {
    const std::vector<std::string> expected{"Program is starting up.", "Error: ComPort not available!",
                                            "Error:  Comport!", "Exit program"};
    ASSERT_EQ(log.size(), expected.size() + 1) << readFile(dir / "zuva.log");
    EXPECT_TRUE(std::regex_match(log[2], std::regex("Disk space: \\d+\\.\\d days of recording left in " + dir.string())))
        << log[2];
    std::vector<std::string> withoutDisk = log;
    withoutDisk.erase(withoutDisk.begin() + 2);
    EXPECT_EQ(withoutDisk, expected);
}

TEST(HeadlessRecorderArguments, SigintWithoutPortWritesTheSixKeysAndEndsTheLog) {
    const testing::TestDirectory scratch("zuva-e2e");
    const fs::path dir = scratch.path();
    fs::create_directory(dir / "settings");
    const fs::path ini = dir / "settings" / "zuva.ini";
    const Interrupted run = interruptWithoutPort(dir, {"--headless"}, {}, SIGINT, ini);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_NO_FATAL_FAILURE(expectLogWithoutPort(run.log, dir));
    // Every line also went to standard error, with its severity, for the journal.
    EXPECT_EQ(run.errors, "<6>Program is starting up.\n<3>Error: ComPort not available!\n<6>" + run.log[2] +
                              "\n<3>Error:  Comport!\n<6>Exit program\n");
    EXPECT_EQ(run.settings, "[Config]\nsensitivity=2.393E-5\nSamplingRate=6\nOutputDirectory=" + dir.string() +
                                "\nComPort=COM99\nGain=0\nStart=Not\n");
    EXPECT_EQ(readFile(dir / "logger.out"), "");
}

TEST(HeadlessRecorderArguments, WithoutHeadlessOrDisplayTheProgramSaysSoAndFails) {
    const fs::path dir = fs::temp_directory_path();
    testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {}, dir.string(),
                                 {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}, "/dev/null",
                                 (dir / "zuva-logger-nowindow.err").string());
    EXPECT_EQ(logger.wait(10s), 3);
    EXPECT_EQ(readFile(dir / "zuva-logger-nowindow.err"),
              "zuva-logger: no display to open the main window on (DISPLAY is not set); "
              "use --headless to record without windows\n");
}

// The window closes on SIGTERM as File / Exit does: the shut-down runs, the settings
// and the window's place are written, the log ends with "Exit program". Without a
// port, start-up stops at the "Error: ComPort not available!" box: the signal must
// close it and then the window.
TEST(WindowProgram, SigtermClosesTheWindowThroughTheShutDown) {
    const testing::TestDirectory scratch("zuva-e2e");
    const fs::path dir = scratch.path();
    // A screen large enough for the designed 843 x 722 window, which is otherwise made to fit.
    std::ofstream(dir / "screen.json")
        << R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1600, "height": 1000, "dpr": 1}]})";
    const Interrupted run = interruptWithoutPort(
        dir, {}, {"QT_QPA_PLATFORM=offscreen:configfile=" + (dir / "screen.json").string()}, SIGTERM, dir / "zuva.ini");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    expectLogWithoutPort(run.log, dir);
    EXPECT_EQ(run.settings.rfind("[Config]\nsensitivity=2.393E-5\nSamplingRate=6\nOutputDirectory=", 0), 0u)
        << run.settings;
    EXPECT_NE(run.settings.find("\n\n[TForm1]\nLeft="), std::string::npos) << run.settings;
    EXPECT_NE(run.settings.find("\nWidth=843\nHeight=722\nMaximized=0\n"), std::string::npos) << run.settings;
}

// SIGTERM during a recording ends the window program at once: the question a hand
// close asks ("Keep recording") never holds it up.
TEST(WindowProgram, SigtermDuringARecordingShutsDownWithoutAsking) {
    const testing::TestDirectory scratch("zuva-e2e");
    const fs::path dir = scratch.path();
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + dir.string(), "LC_ALL=C"};
    testing::ChildProcess sim(ZUVA_BIN_DIR "/zuva-sim", {"--name", "term"}, dir.string(), env,
                              (dir / "sim.out").string(), (dir / "sim.err").string());
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");
    const fs::path ini = dir / "zuva.ini";
    std::ofstream(ini) << "[Config]\nComPort=" << port << "\nGain=0\nSamplingRate=6\nStart=Yes\nOutputDirectory="
                       << dir.string() << "\n";
    std::vector<std::string> windowEnv = env;
    windowEnv.push_back("QT_QPA_PLATFORM=offscreen");
    testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--config", ini.string()}, dir.string(), windowEnv,
                                 (dir / "logger.out").string(), (dir / "logger.err").string());
    // Recording: a data file has been announced in the log.
    const auto recording = [&dir] {
        for (const auto& line : readLines(dir / "zuva.log"))
            if (messageOf(line).rfind("Start= ", 0) == 0) return true;
        return false;
    };
    for (int i = 0; i < 2000 && !recording(); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(recording()) << readFile(dir / "zuva.log");
    logger.signal(SIGTERM);
    ASSERT_EQ(logger.wait(20s), 0) << readFile(dir / "logger.err");
    const auto lines = readLines(dir / "zuva.log");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(messageOf(lines.back()), "Exit program");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(5s), 0) << readFile(dir / "sim.err");
}

}  // namespace
}  // namespace zuva::app

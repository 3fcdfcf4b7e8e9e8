// zuva-logger --headless recording from a fast zuva-sim, killed with SIGKILL again
// and again at seeded random moments (during start-up, while the first data file
// is being created, while recording, during the shut-down that SIGTERM begins) and
// restarted each time into the same directory, then a last run ended normally.
// Whatever moment the kill hits, every data file must be a whole header followed by
// whole records, the event log must hold only whole lines and the settings file must
// still give the six keys, with no temporary file of an interrupted write left over.
// ZUVA_CRASH_SEED varies the moments, ZUVA_CRASH_RUNS (default 60) the number of kills.

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "ChildProcess.h"
#include "TestDirectory.h"
#include "SimJournal.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "recording/SecondRecordEncoder.h"
#include "settings/IniFile.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::readFile;
using testing::readLines;

constexpr double kRateMultiplier = 10;  // ten simulated seconds per second

unsigned long envOr(const char* name, unsigned long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

// How long a run lives before the kill: start-up, the warm-up that ends with the
// first file being created (about 0.2 s at this rate), or recording.
std::chrono::milliseconds killDelay(std::mt19937& rng, int run) {
    switch (run % 3) {
        case 0: return std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 150)(rng));
        case 1: return std::chrono::milliseconds(std::uniform_int_distribution<int>(150, 500)(rng));
        default: return std::chrono::milliseconds(std::uniform_int_distribution<int>(500, 1500)(rng));
    }
}

// Counts the records the reader delivers.
struct WholeRecords final : recording::RecordBlockConsumer {
    std::size_t records = 0;
    bool consumeBlock(const recording::RecordBlock& block) override {
        records += block.recordCount;
        return true;
    }
};

class CrashLoop : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dir / "data");
    }
    testing::TestDirectory scratch{"zuva-crash"};
    const fs::path dir = scratch.path();
};

TEST_F(CrashLoop, KilledAtAnyMomentTheLoggerLeavesWholeFiles) {
    const auto seed = static_cast<unsigned>(envOr("ZUVA_CRASH_SEED", 20090819));
    const int runs = static_cast<int>(envOr("ZUVA_CRASH_RUNS", 60));
    SCOPED_TRACE("ZUVA_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + dir.string(), "LC_ALL=C"};

    // The simulated clock passes midnight during the loop.
    testing::ChildProcess sim(ZUVA_BIN_DIR "/zuva-sim",
                              {"--name", "crash", "--rate-multiplier", std::to_string(kRateMultiplier), "--start",
                               "2009-08-19 23:57:30"},
                              dir.string(), env, (dir / "sim.out").string(), (dir / "sim.err").string());
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");

    const fs::path ini = dir / "zuva.ini";
    const std::string dataDir = (dir / "data").string();
    std::ofstream(ini) << "[Config]\nComPort=" << port
                       << "\nGain=0\nsensitivity=2.393E-5\nSamplingRate=8\nStart=Yes\nOutputDirectory=" << dataDir
                       << "\n";

    int shutDownKills = 0;
    for (int run = 0; run < runs; ++run) {
        testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--headless", "--config", ini.string()},
                                     dir.string(), env, (dir / "logger.out").string(),
                                     (dir / "logger.err").string());
        std::this_thread::sleep_for(killDelay(rng, run));
        if (run % 5 == 4) {
            // Into the shut-down: settings written, transmission stopped, last lines logged.
            logger.signal(SIGTERM);
            std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 30)(rng)));
            ++shutDownKills;
        }
        logger.signal(SIGKILL);
        const int status = logger.wait(10s);
        // A SIGTERM in the first milliseconds, before the program has set up its
        // handler, ends it at once; nothing has been started by then.
        const bool endedBySigterm = run % 5 == 4 && status == 128 + SIGTERM;
        ASSERT_TRUE(status == 128 + SIGKILL || status == 0 || endedBySigterm)
            << "run " << run << " ended with " << status << ": " << readFile(dir / "logger.err");
    }
    // A last run that ends normally: it records and shuts down as after any other run.
    {
        // Its own output file: the killed runs' output must not pass for its own.
        testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--headless", "--config", ini.string()},
                                     dir.string(), env, (dir / "last.out").string(), (dir / "last.err").string());
        for (int i = 0; i < 500 && readLines(dir / "last.out").size() < 3; ++i) std::this_thread::sleep_for(10ms);
        EXPECT_GE(readLines(dir / "last.out").size(), 3u) << "the last run records nothing";
        logger.signal(SIGTERM);
        ASSERT_EQ(logger.wait(10s), 0) << readFile(dir / "last.err");
    }
    ASSERT_TRUE(sim.running()) << readFile(dir / "sim.err");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(5s), 0) << readFile(dir / "sim.err");

    // Every data file: the header, then whole records whose times go forward, the
    // first of them the time in the file's name; no second in two files.
    const std::size_t recordSize = recording::SecondRecordEncoder::recordSize(256);
    const std::regex namePattern(R"((\d{8})(\d{2})(\d{2})(\d{2})\.zuv)");
    std::set<std::tuple<std::string, int>> seconds;
    std::vector<fs::path> files;
    // The daily reports a run wrote at midnight lie beside the data files: each whole
    // (a report is replaced whole; a writer killed in the middle leaves at most its
    // hidden temporary file, which the next report's writing removes).
    const std::regex reportPattern(R"(\.?(\d{8})-report\.(txt|json)(\.tmp-\d+-\d+)?)");
    for (const auto& entry : fs::directory_iterator(dir / "data")) {
        const std::string fileName = entry.path().filename().string();
        std::smatch report;
        if (!std::regex_match(fileName, report, reportPattern)) {
            files.push_back(entry.path());
            continue;
        }
        if (fileName[0] == '.') continue;
        EXPECT_EQ(report[1].str(), "20090819") << fileName;
        const std::string text = readFile(entry.path());
        if (report[2].str() == "txt") {
            EXPECT_EQ(text.rfind("ZUVA-7k daily report 2009-08-19 (UTC)\n", 0), 0u) << text;
            EXPECT_NE(text.find("\nDisk days left: "), std::string::npos) << text;
        } else {
            EXPECT_EQ(text.rfind("{\n  \"date\": \"2009-08-19\",\n", 0), 0u) << text;
            EXPECT_EQ(text.substr(text.size() - 2), "}\n") << text;
        }
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), static_cast<std::size_t>(runs / 4)) << "too few runs got as far as recording";
    std::size_t records = 0;
    int tornTails = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        std::smatch name;
        const std::string fileName = file.filename().string();
        ASSERT_TRUE(std::regex_match(fileName, name, namePattern));
        fakes::RecordingLog scanLog;
        const recording::DataFileHeaderScan scan = recording::DataFileHeaderReader(scanLog).ReadDataFileHeader(file.string());
        ASSERT_TRUE(scan.endFound) << readFile(file).substr(0, 200);
        EXPECT_TRUE(scanLog.lines.empty()) << scanLog.lines.front();
        ASSERT_EQ(scan.FileSamplingRate, 256);
        const std::string bytes = readFile(file);
        // A kill in the middle of a record's write can leave the beginning of that
        // last record; the reader must deliver every whole record and pass over it.
        const std::size_t body = bytes.size() - static_cast<std::size_t>(scan.HeaderLength);
        const std::size_t whole = body / recordSize;
        WholeRecords counted;
        const auto read = recording::DataRecordReader(scanLog).read(file.string(), scan, counted);
        EXPECT_EQ(read.recordsRead, whole);
        EXPECT_EQ(read.tailBytes, body % recordSize);
        EXPECT_EQ(counted.records, whole);
        if (body % recordSize != 0) ++tornTails;
        // A torn record can only be the last one the killed run wrote: the next run
        // never appends to a file of an earlier one.
        const std::string date = name[1].str();
        EXPECT_NE(bytes.find("\t<year>" + date.substr(0, 4) + "</year>\r\n\t<month>" + date.substr(4, 2) +
                             "</month>\r\n\t<day>" + date.substr(6, 2) + "</day>\r\n"),
                  std::string::npos);
        int previous = -1;
        for (std::size_t at = static_cast<std::size_t>(scan.HeaderLength); at + recordSize <= bytes.size();
             at += recordSize) {
            const int h = static_cast<std::uint8_t>(bytes[at + 1]);
            const int m = static_cast<std::uint8_t>(bytes[at + 2]);
            const int s = static_cast<std::uint8_t>(bytes[at + 3]);
            ASSERT_TRUE(h < 24 && m < 60 && s < 60) << "record at " << at << ": " << h << ":" << m << ":" << s;
            const int second = h * 3600 + m * 60 + s;
            if (previous < 0) {
                EXPECT_EQ(second, std::stoi(name[2]) * 3600 + std::stoi(name[3]) * 60 + std::stoi(name[4]))
                    << "the first record is not the second the file is named after";
            } else {
                EXPECT_GT(second, previous) << "record at " << at;
            }
            EXPECT_TRUE(seconds.emplace(date, second).second) << "second " << second << " of " << date << " twice";
            previous = second;
            ++records;
        }
    }
    EXPECT_GT(records, files.size()) << "hardly any second recorded";
    RecordProperty("torn_last_records", tornTails);

    // The event log: whole lines only, each "date time: message"; a file was begun
    // only with its "Start= " line.
    const std::string log = readFile(dir / "zuva.log");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n") << "the last line is torn";
    const std::regex linePattern(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d: [^\r\n]*)");
    int startUps = 0;
    std::set<std::string> begun;
    for (std::size_t at = 0; at < log.size();) {
        std::size_t end = log.find("\r\n", at);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(at, end - at);
        EXPECT_TRUE(std::regex_match(line, linePattern)) << "torn line at byte " << at << ": " << line;
        const std::string message = line.size() > 19 ? line.substr(19) : "";
        if (message == "Program is starting up.") ++startUps;
        if (message.rfind("Start= ", 0) == 0) begun.insert(message.substr(7));
        at = end + 2;
    }
    EXPECT_GE(startUps, runs / 3);
    EXPECT_LE(startUps, runs + 1);
    for (const fs::path& file : files) EXPECT_EQ(begun.count(file.string()), 1u) << file;

    EXPECT_EQ(log.substr(log.size() - 14), "Exit program\r\n");

    // The settings file still gives the six keys as they were, and the temporary
    // files of settings writes that a kill cut short are gone.
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().filename().string().rfind(".zuva.ini.tmp-", 0), std::string::npos) << entry.path();
    }
    const settings::IniFile settingsFile(ini.string());
    EXPECT_EQ(settingsFile.readString("Config", "ComPort", ""), port);
    EXPECT_EQ(settingsFile.readString("Config", "Gain", ""), "0");
    EXPECT_EQ(settingsFile.readString("Config", "sensitivity", ""), "2.393E-5");
    EXPECT_EQ(settingsFile.readString("Config", "SamplingRate", ""), "8");
    EXPECT_EQ(settingsFile.readString("Config", "Start", ""), "Yes");
    EXPECT_EQ(settingsFile.readString("Config", "OutputDirectory", ""), dataDir);
    std::printf("crash loop: %d kills (%d during shut-down), %zu data files, %zu records, %d start-ups logged\n",
                runs, shutDownKills, files.size(), records, startUps);
}

}  // namespace
}  // namespace zuva::app

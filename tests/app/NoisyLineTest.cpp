// zuva-logger --headless against zuva-sim on a noisy line: frames written sixteen
// at a time, wrong checksums, frames left out and stray bytes between frames.
// Every good frame the simulator's journal shows must be in the data file, byte
// for byte; every position without one holds the nearest earlier good sample of
// its own second; no second that had good frames is missing; the log names each
// correction (or counts it in a summary line) and stays short.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
using testing::JournalSecond;
using testing::messageOf;
using testing::readFile;
using testing::readLines;

struct NoisyCase {
    const char* name;
    int rateIndex;
    int rate;
    int badEvery;
    int dropEvery;
    int junkEvery;
    double rateMultiplier;
};

class NoisyLine : public ::testing::TestWithParam<NoisyCase> {
protected:
    void SetUp() override {
        fs::create_directory(dir / "data");
    }
    testing::TestDirectory scratch{"zuva-noisy"};
    const fs::path dir = scratch.path();
};

int countOf(const std::string& summary) {
    // "<kind>: N more in the last minute"
    const auto colon = summary.find(": ");
    return std::atoi(summary.c_str() + colon + 2);
}

TEST_P(NoisyLine, EveryGoodFrameIsRecordedAndEveryGapFilledFromItsOwnSecond) {
    const NoisyCase c = GetParam();
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + dir.string()};
    const fs::path journalPath = dir / "journal.txt";
    char multiplier[32];
    std::snprintf(multiplier, sizeof multiplier, "%g", c.rateMultiplier);
    testing::ChildProcess sim(ZUVA_BIN_DIR "/zuva-sim",
                              {"--name", "noisy", "--journal", journalPath.string(), "--burst", "16",
                               "--bad-checksum-every", std::to_string(c.badEvery), "--drop-frame-every",
                               std::to_string(c.dropEvery), "--junk-every", std::to_string(c.junkEvery),
                               "--rate-multiplier", multiplier},
                              dir.string(), env, (dir / "sim.out").string(), (dir / "sim.err").string());
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");

    const testing::HeadlessRun run = testing::recordHeadlessFor(dir, env, port, c.rateIndex, 12s);
    ASSERT_TRUE(run.ranToTheEnd) << readFile(dir / "logger.err");
    ASSERT_EQ(run.exitCode, 0) << readFile(dir / "logger.err");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(5s), 0);

    const testing::Journal journal = testing::readJournal(journalPath);
    ASSERT_GT(journal.badFrames, 0u) << "the line was not noisy";

    const std::vector<fs::path> files = testing::filesIn(dir / "data");
    ASSERT_FALSE(files.empty());
    const std::size_t recordSize = recording::SecondRecordEncoder::recordSize(static_cast<std::size_t>(c.rate));
    testing::RecordsOfFiles all = testing::recordsOfFiles(files, recordSize);
    ASSERT_EQ(all.fault, "");
    const std::vector<std::vector<std::uint8_t>> records = std::move(all.records);
    ASSERT_GE(records.size(), 7u);

    // From the first record on, every second of the journal is recorded, in order,
    // with its good frames and its gaps filled from itself.
    const auto& first = records.front();
    const auto start = std::find_if(journal.seconds.begin(), journal.seconds.end(), [&](const JournalSecond& s) {
        return s.hour == first[1] && s.minute == first[2] && s.second == first[3];
    });
    ASSERT_NE(start, journal.seconds.end());
    const auto firstIndex = static_cast<std::size_t>(start - journal.seconds.begin());
    ASSERT_LE(firstIndex + records.size(), journal.seconds.size());
    int runs = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const JournalSecond& sec = journal.seconds[firstIndex + i];
        const JournalSecond made = testing::filled(sec, &runs);
        ASSERT_EQ(records[i], testing::expectedRecord(made, c.rate))
            << "record " << i << " at " << sec.hour << ":" << sec.minute << ":" << sec.second << ", "
            << 256 - sec.seen.count() << " positions without a good frame";
    }
    // No second with good frames is missing before the last one recorded: the
    // journal's seconds are consecutive there.
    for (std::size_t i = firstIndex + 1; i < firstIndex + records.size(); ++i) {
        const JournalSecond& a = journal.seconds[i - 1];
        const JournalSecond& b = journal.seconds[i];
        EXPECT_EQ((b.hour * 3600 + b.minute * 60 + b.second) - (a.hour * 3600 + a.minute * 60 + a.second), 1)
            << "the stream itself skipped a second";
    }
    EXPECT_GT(runs, 0) << "no frame was left out in the recorded seconds";

    // The log: each filled run is named, or counted in a summary line; few lines.
    std::vector<std::string> log;
    for (const auto& line : readLines(dir / "zuva.log")) log.push_back(messageOf(line));
    int corrected = 0;
    int checksumLines = 0;
    for (const std::string& m : log) {
        const bool summary = m.find(" more in the last minute") != std::string::npos;
        if (m.rfind("Corrected data: ", 0) == 0) corrected += summary ? countOf(m) : 1;
        if (m.rfind("Checksum error", 0) == 0) ++checksumLines;
        EXPECT_EQ(m.rfind("Lost seconds: ", 0), std::string::npos) << m;
        EXPECT_EQ(m.rfind("Input queue overflow", 0), std::string::npos) << m;
        EXPECT_EQ(m.find("System does not respond"), std::string::npos) << m;
    }
    EXPECT_GE(corrected, runs) << "every filled run of a recorded second is in the log";
    EXPECT_GT(checksumLines, 0);
    EXPECT_LT(log.size(), 100u) << "the log grows by under a hundred lines a minute";
}

INSTANTIATE_TEST_SUITE_P(
    Rates, NoisyLine,
    ::testing::Values(NoisyCase{"OnePer100At256Hz", 8, 256, 100, 131, 173, 1.0},
                      NoisyCase{"OnePer1000At64Hz", 6, 64, 1000, 1300, 1700, 4.0},
                      NoisyCase{"OnePer10000At256Hz", 8, 256, 10000, 9000, 7000, 8.0}),
    [](const ::testing::TestParamInfo<NoisyCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zuva::app

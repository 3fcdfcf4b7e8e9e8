// zuva-logger --headless recording from zuva-sim over a real pseudo-terminal that is
// pulled out in the middle of the run and put back under the same name.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
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

constexpr int kRate = 64;
constexpr int kRateIndex = 6;

std::vector<std::string> logMessages(const fs::path& log) {
    std::vector<std::string> messages;
    for (const auto& line : readLines(log)) messages.push_back(messageOf(line));
    return messages;
}

bool sameTime(const JournalSecond& s, const std::vector<std::uint8_t>& record) {
    return s.hour == record[1] && s.minute == record[2] && s.second == record[3];
}

std::string timeText(const JournalSecond& s) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d %02d %02d", s.hour, s.minute, s.second);
    return text;
}

// The logger's "Corrected data: " line for the second the unplugging broke off.
struct Correction {
    std::string time;      // "HH MM SS" of the broken second
    int lastIndex = 0;     // its last sample received before the gap
    std::int32_t bx = 0, by = 0, bz = 0;
    bool wholeSecond = false;  // the "(0) - " form: only its first sample had come
};

std::optional<Correction> correctionIn(const std::vector<std::string>& log) {
    const std::regex tail(R"(Corrected data: (\d\d \d\d \d\d)\((\d+)-255\) = (-?\d+) (-?\d+) (-?\d+))");
    const std::regex whole(R"(Corrected data: (\d\d \d\d \d\d)\(0\) - \d\d \d\d \d\d\(0\))");
    for (const auto& m : log) {
        std::smatch g;
        if (std::regex_match(m, g, tail)) {
            return Correction{g[1], std::stoi(g[2]), std::stoi(g[3]), std::stoi(g[4]), std::stoi(g[5]), false};
        }
        if (std::regex_match(m, g, whole)) return Correction{g[1], 0, 0, 0, 0, true};
    }
    return std::nullopt;
}

TEST(HeadlessReconnect, APortPulledOutAndPutBackIsReopenedAndTheRecordsGoOnByteForByte) {
    const testing::TestDirectory scratch("zuva-e2e");
    const fs::path dir = scratch.path();
    fs::create_directory(dir / "data");
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + dir.string()};
    const fs::path journalPath = dir / "journal.txt";
    // Two instrument seconds per real second; the line is away from 4 s to 7 s.
    testing::ChildProcess sim(ZUVA_BIN_DIR "/zuva-sim",
                              {"--name", "e2e", "--journal", journalPath.string(), "--rate-multiplier", "2",
                               "--unplug-at", "4", "--unplug-for", "3"},
                              dir.string(), env, (dir / "sim.out").string(), (dir / "sim.err").string());
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");

    const fs::path ini = dir / "zuva.ini";
    std::ofstream(ini) << "[Config]\nComPort=" << port << "\nGain=0\nsensitivity=2,393E-5\nSamplingRate=" << kRateIndex
                       << "\nStart=Yes\nOutputDirectory=" << (dir / "data").string() << "\n";
    testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--headless", "--config", ini.string()}, dir.string(),
                                 env, (dir / "logger.out").string(), (dir / "logger.err").string());
    const auto reconnected = [&] {
        for (const auto& m : logMessages(dir / "zuva.log")) {
            if (m.rfind("ComPort reconnected: ", 0) == 0) return true;
        }
        return false;
    };
    for (int i = 0; i < 150 && !reconnected(); ++i) std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(reconnected()) << readFile(dir / "zuva.log") << readFile(dir / "logger.err");
    std::this_thread::sleep_for(3s);  // six more instrument seconds
    ASSERT_TRUE(logger.running()) << readFile(dir / "logger.err");
    logger.signal(SIGTERM);
    ASSERT_EQ(logger.wait(10s), 0) << readFile(dir / "logger.err");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(5s), 0);
    // Standard error (the journal) holds every event-log message with its severity.
    std::vector<std::string> journalCopy;
    for (const auto& m : logMessages(dir / "zuva.log")) {
        journalCopy.push_back((m.rfind("Error", 0) == 0 ? "<3>" : m.rfind("Warning", 0) == 0 ? "<4>" : "<6>") + m);
    }
    EXPECT_EQ(readLines(dir / "logger.err"), journalCopy);

    const Journal journal = readJournal(journalPath);
    ASSERT_GT(journal.unpluggedAt, 0.0);
    ASSERT_GT(journal.repluggedAt, journal.unpluggedAt);
    // Gain and Start before; after the return the run's byte again, then Stop.
    std::vector<std::uint8_t> before, after;
    for (const auto& [at, byte] : journal.received) (at < journal.unpluggedAt ? before : after).push_back(byte);
    EXPECT_EQ(before, (std::vector<std::uint8_t>{0x04, 0x84}));
    EXPECT_EQ(after, (std::vector<std::uint8_t>{0x84, 0x04}));
    const double stoppedAt = journal.received.back().first;

    // The event log: the loss once, the return with its gap, the corrected end of the
    // broken second, and nothing else out of the ordinary. The simulated instrument's
    // clock runs at twice the PC's speed, so the clock watch reports the offset moving
    // (and may take the gap for a step of the instrument's clock); those lines are left
    // out here.
    std::vector<std::string> log;
    for (const auto& m : logMessages(dir / "zuva.log")) {
        if (m.rfind("Warning: clock offset moved: ", 0) != 0 && m.rfind("Warning: instrument clock stepped", 0) != 0) {
            log.push_back(m);
        }
    }
    const auto lost = std::find(log.begin(), log.end(), "ComPort lost: " + port + " (system error 5: Input/output error); reconnecting");
    ASSERT_NE(lost, log.end()) << readFile(dir / "zuva.log");
    ASSERT_LT(lost + 1, log.end());
    std::smatch gap;
    const std::regex back("ComPort reconnected: " + port +
                          R"(; lost at \d\d:\d\d:\d\d\.\d{3}, back at \d\d:\d\d:\d\d\.\d{3}, gap (\d+)\.(\d{3}) s)");
    ASSERT_TRUE(std::regex_match(*(lost + 1), gap, back)) << *(lost + 1);
    const double gapSeconds = std::stoi(gap[1]) + std::stoi(gap[2]) / 1000.0;
    EXPECT_GT(gapSeconds, 2.5);
    EXPECT_LT(gapSeconds, 5.5);
    const std::optional<Correction> correction = correctionIn(log);
    std::vector<std::string> rest(lost + 2, log.end());
    if (correction) {
        ASSERT_FALSE(rest.empty());
        EXPECT_EQ(rest.front().rfind("Corrected data: ", 0), 0u) << rest.front();
        rest.erase(rest.begin());
    }
    ASSERT_EQ(rest.size(), 2u) << readFile(dir / "zuva.log");
    EXPECT_EQ(rest[1], "Exit program");
    for (const auto& m : log) {
        EXPECT_EQ(m.find("System does not respond"), std::string::npos) << m;
        EXPECT_EQ(m.find("Error"), std::string::npos) << m;
        EXPECT_EQ(m.find("Checksum"), std::string::npos) << m;
        EXPECT_EQ(m.find("Count= "), std::string::npos) << m;
    }

    // Every record of every data file, in name order.
    const std::vector<fs::path> files = testing::filesIn(dir / "data");
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(rest[0], "Stop = " + files.back().string());
    const std::size_t recordSize = recording::SecondRecordEncoder::recordSize(kRate);
    testing::RecordsOfFiles all = testing::recordsOfFiles(files, recordSize);
    ASSERT_EQ(all.fault, "");
    const std::vector<std::vector<std::uint8_t>> records = std::move(all.records);

    // Before the gap: one record for each whole second from the first on.
    const auto& seconds = journal.seconds;
    auto first = std::find_if(seconds.begin(), seconds.end(),
                              [&](const JournalSecond& s) { return sameTime(s, records.front()); });
    ASSERT_NE(first, seconds.end());
    std::size_t j = static_cast<std::size_t>(first - seconds.begin());
    std::size_t i = 0;
    while (i < records.size() && j < seconds.size() && seconds[j].complete() &&
           seconds[j].lastFrameAt < journal.unpluggedAt) {
        EXPECT_EQ(records[i], expectedRecord(seconds[j], kRate)) << "record " << i << " at " << timeText(seconds[j]);
        ++i;
        ++j;
    }
    ASSERT_GE(i, 3u) << "too few seconds recorded before the gap";
    ASSERT_LT(j, seconds.size());

    // The second the unplugging broke off: its end made up from its last sample.
    const JournalSecond broken = seconds[j];
    EXPECT_LT(broken.firstFrameAt, journal.unpluggedAt);
    // The "(0) - " case leaves the broken second's first sample in the block.
    bool stalePrefix = false;
    if (correction) {
        EXPECT_EQ(correction->time, timeText(broken));
        if (correction->wholeSecond) {
            stalePrefix = true;
        } else {
            const auto k = static_cast<std::size_t>(correction->lastIndex);
            ASSERT_LT(k, 255u);
            for (std::size_t n = 0; n <= k; ++n) ASSERT_TRUE(broken.seen.test(n)) << n;
            EXPECT_EQ(correction->bx, broken.x[k]);
            EXPECT_EQ(correction->by, broken.y[k]);
            EXPECT_EQ(correction->bz, broken.z[k]);
            JournalSecond made = broken;
            for (std::size_t n = k + 1; n < 256; ++n) {
                made.x[n] = broken.x[k];
                made.y[n] = broken.y[k];
                made.z[n] = broken.z[k];
            }
            ASSERT_LT(i, records.size());
            EXPECT_TRUE(sameTime(broken, records[i]));
            // A made-up second carries the status byte of the frame that revealed it;
            // the simulator's status byte stays the same all through this run.
            made.lastStatus = first->lastStatus;
            EXPECT_EQ(records[i], expectedRecord(made, kRate)) << "the corrected second " << timeText(broken);
            ++i;
        }
    }

    // After the gap: from the first whole second after the return (or the one after
    // it, when opening the port discarded what was already queued), every second.
    ASSERT_LT(i, records.size()) << "nothing recorded after the gap";
    auto resumed = std::find_if(seconds.begin() + static_cast<std::ptrdiff_t>(j), seconds.end(),
                                [&](const JournalSecond& s) { return sameTime(s, records[i]); });
    ASSERT_NE(resumed, seconds.end());
    auto firstWhole = std::find_if(seconds.begin() + static_cast<std::ptrdiff_t>(j), seconds.end(),
                                   [&](const JournalSecond& s) { return s.complete() && s.firstFrameAt > journal.repluggedAt; });
    ASSERT_NE(firstWhole, seconds.end());
    EXPECT_GE(resumed - firstWhole, 0);
    EXPECT_LE(resumed - firstWhole, 1);
    std::size_t lastComplete = 0;
    for (std::size_t n = 0; n < seconds.size(); ++n) {
        if (seconds[n].complete() && seconds[n].lastFrameAt < stoppedAt) lastComplete = n;
    }
    j = static_cast<std::size_t>(resumed - seconds.begin());
    const std::size_t firstAfterGap = i;
    for (; i < records.size(); ++i, ++j) {
        ASSERT_LT(j, seconds.size());
        ASSERT_TRUE(seconds[j].complete()) << timeText(seconds[j]);
        JournalSecond expected = seconds[j];
        if (stalePrefix) {
            // The frame that revealed the whole lost second was dropped with it: sample
            // 0 of this second is still the broken second's first.
            expected.x[0] = broken.x[0];
            expected.y[0] = broken.y[0];
            expected.z[0] = broken.z[0];
            stalePrefix = false;
        }
        EXPECT_EQ(records[i], expectedRecord(expected, kRate)) << "record " << i << " at " << timeText(seconds[j]);
    }
    // Recording went on up to the Stop: only a second still on the line then may be missing.
    const std::size_t lastRecorded = j - 1;
    EXPECT_GE(lastRecorded + 1, lastComplete);
    EXPECT_LE(lastRecorded, lastComplete);
    EXPECT_GE(records.size() - firstAfterGap, 4u) << "too few seconds recorded after the gap";

}

}  // namespace
}  // namespace zuva::app

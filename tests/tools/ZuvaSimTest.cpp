#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "acquisition/FrameEncoder.h"
#include "tools/sim/Journal.h"

namespace zuva::tools {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::LineReader;
using testing::SimProcess;

struct Frame {
    std::vector<std::uint8_t> bytes;
    bool checksumOk() const {
        return acquisition::frameChecksum(bytes) == bytes.back();
    }
    int index() const { return bytes[8]; }
    int second() const { return (bytes[7] >> 4) * 10 + (bytes[7] & 0x0F); }
};

// Splits a byte stream that starts on a frame boundary into DataFrames and PositionFrames.
std::vector<Frame> splitFrames(const std::vector<std::uint8_t>& bytes, std::size_t* leftover = nullptr) {
    std::vector<Frame> frames;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t size = bytes[at] == acquisition::kPositionFrameSync ? acquisition::kPositionFrameSize
                                                                              : acquisition::kDataFrameSize;
        if (at + size > bytes.size()) break;
        frames.push_back({std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(at),
                                                    bytes.begin() + static_cast<long>(at + size))});
        at += size;
    }
    if (leftover) *leftover = bytes.size() - at;
    return frames;
}

class ZuvaSimTest : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zuva-sim-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string portsDir() const { return dir + "/ports"; }
};

TEST_F(ZuvaSimTest, RegistersThePortStreamsValidFramesEchoesTheGainAndCleansUp) {
    SimProcess sim({"--ports-dir", portsDir(), "--name", "unit7", "--journal", dir + "/journal.txt"});
    const std::string port = sim.firstLine();
    ASSERT_EQ(port, portsDir() + "/unit7");
    struct stat info {};
    ASSERT_EQ(lstat(port.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(fs::read_symlink(port).string().rfind("/dev/pts/", 0), 0u);
    ASSERT_EQ(stat(portsDir().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    LineReader line(port);
    EXPECT_TRUE(line.collect(100ms).empty()) << "sent before transmit was switched on";
    line.send(0x84);
    const auto bytes = line.collect(2200ms);
    line.send(0x04);
    std::size_t leftover = 0;
    auto frames = splitFrames(bytes, &leftover);
    // About 2.2 s at 256 a second; the rate is checked on whole seconds below.
    ASSERT_GT(frames.size(), 400u);
    for (const auto& f : frames) {
        ASSERT_EQ(f.bytes[0], acquisition::kDataFrameSync);
        ASSERT_TRUE(f.checksumOk());
        EXPECT_EQ(f.bytes[1], 0x08) << "gain code 0 and GPS available";
    }
    for (std::size_t i = 1; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i].index(), (frames[i - 1].index() + 1) % 256) << "a frame is missing at " << i;
    }
    // Every second that began and ended inside the capture holds 256 frames.
    std::size_t firstZero = 0;
    while (frames[firstZero].index() != 0) ++firstZero;
    ASSERT_GE(frames.size() - firstZero, 256u);
    EXPECT_EQ(frames[firstZero + 255].index(), 255);
    EXPECT_EQ(frames[firstZero + 255].second(), frames[firstZero].second());

    // The gain code of 0x87 comes back in StatusByte bits 0-1.
    line.collect(200ms);  // the rest of what was under way when transmission stopped
    line.send(0x87);
    const auto gained = splitFrames(line.collect(1s));
    line.send(0x07);
    std::size_t echoed = 0;
    while (echoed < gained.size() && (gained[echoed].bytes[1] & 0x03) != 0x03) ++echoed;
    ASSERT_LT(echoed, gained.size()) << "no frame echoes gain code 3";
    ASSERT_GT(gained.size() - echoed, 200u);
    for (std::size_t i = echoed; i < gained.size(); ++i) {
        ASSERT_EQ(gained[i].bytes[1] & 0x03, 0x03) << "the echo went back at frame " << i;
        ASSERT_TRUE(gained[i].checksumOk());
    }

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(port))) << "the port link outlived the simulator";

    // The journal names every frame that went out, in order: the bytes we read are a run of them.
    std::ifstream journal(dir + "/journal.txt");
    std::string text;
    std::vector<std::string> tx;
    std::vector<std::string> rx;
    for (std::string l; std::getline(journal, l);) {
        std::istringstream fields(l);
        double t = 0;
        std::string kind;
        fields >> t >> kind;
        std::getline(fields, text);
        (kind == "tx" ? tx : rx).push_back(text.substr(1));
    }
    EXPECT_EQ(rx, (std::vector<std::string>{"84", "04", "87", "07"}));
    ASSERT_GE(tx.size(), frames.size());
    EXPECT_EQ(tx[0], sim::Journal::hex(frames[0].bytes));
    EXPECT_EQ(tx[frames.size() - 1], sim::Journal::hex(frames.back().bytes));
}

TEST_F(ZuvaSimTest, APositionRequestGetsOnePositionFrame) {
    SimProcess sim({"--ports-dir", portsDir(), "--seconds", "2", "--lat", "4807.0380N", "--lon", "01131.0000E",
                    "--alt", "545.4", "--start", "2005-01-11 23:59:58"});
    const std::string port = sim.firstLine();
    ASSERT_FALSE(port.empty());
    LineReader line(port);
    line.send(0x94);
    const auto bytes = line.collect(500ms);
    ASSERT_EQ(bytes.size(), acquisition::kPositionFrameSize) << "one PositionFrame and nothing else";
    const acquisition::PositionFrame expected = acquisition::encodePositionFrame(
        {2005, 1, 11, 23, 59, 58}, 0x08, "4807.0380N", "01131.0000E", "545.4");
    EXPECT_EQ(std::vector<std::uint8_t>(expected.begin(), expected.end()), bytes);
    line.send(0x14);
    EXPECT_TRUE(line.collect(100ms).empty());
    line.close();
    EXPECT_EQ(sim.wait(4s), 0) << "--seconds did not end the run";
    EXPECT_FALSE(fs::exists(fs::symlink_status(port)));
}

TEST_F(ZuvaSimTest, FaultsAndTheClockFollowTheOptions) {
    SimProcess sim({"--ports-dir", portsDir(), "--start", "2024-12-31 23:59:58", "--rate-multiplier", "4",
                    "--bad-checksum-every", "100", "--lose-end-every", "2", "--lose-end-count", "5",
                    "--gps-toggle-every", "1", "--seconds", "10"});
    const std::string port = sim.firstLine();
    ASSERT_FALSE(port.empty());
    LineReader line(port);
    line.send(0x84);
    const auto frames = splitFrames(line.collect(1200ms));
    line.send(0x04);
    ASSERT_GT(frames.size(), 600u);
    int bad = 0;
    bool crossedMidnight = false;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto& f = frames[i];
        if (!f.checksumOk()) ++bad;
        if (f.bytes[2] == 0x25 && f.bytes[3] == 0x01 && f.bytes[4] == 0x01) crossedMidnight = true;
        // Every second second ends at sample 250: 251..255 are lost.
        if (i > 0 && f.index() == 0 && frames[i - 1].second() % 2 == 1) {
            EXPECT_EQ(frames[i - 1].index(), 250);
        }
        // The GPS bit flips every second: odd elapsed seconds carry no GPS.
        const int elapsed = (f.second() + 2) % 60;
        EXPECT_EQ((f.bytes[1] & 0x08) != 0, elapsed % 2 == 0) << "at frame " << i;
    }
    EXPECT_TRUE(crossedMidnight) << "the clock did not reach 2025-01-01";
    EXPECT_NEAR(bad, static_cast<int>(frames.size()) / 100, 1);
}

TEST_F(ZuvaSimTest, ASilentUnitNeverAnswersAndAReaderMayComeBack) {
    {
        SimProcess sim({"--ports-dir", portsDir(), "--silent", "--seconds", "5"});
        const std::string port = sim.firstLine();
        LineReader line(port);
        line.send(0x84);
        line.send(0x94);
        EXPECT_TRUE(line.collect(300ms).empty());
        sim.signal(SIGINT);
        EXPECT_EQ(sim.wait(), 0);
    }
    SimProcess sim({"--ports-dir", portsDir(), "--seconds", "5"});
    const std::string port = sim.firstLine();
    {
        LineReader first(port);
        first.send(0x84);
        ASSERT_FALSE(first.collectAtLeast(19, 1s).empty());
    }  // the logger closes the port while the unit transmits
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(fs::exists(port)) << "the port must stay registered for the logger's return";
    LineReader again(port);
    const auto frames = splitFrames(again.collectAtLeast(19 * 50, 2s));
    ASSERT_GE(frames.size(), 50u);
    for (const auto& f : frames) EXPECT_TRUE(f.checksumOk());
    again.send(0x04);
}

TEST_F(ZuvaSimTest, PullingTheLineOutUnregistersThePortAndTheUnitRunsOnUntilItIsBack) {
    const std::string journalPath = dir + "/journal.txt";
    SimProcess sim({"--ports-dir", portsDir(), "--start", "2024-06-30 12:00:00", "--unplug-at", "1", "--unplug-for",
                    "1", "--seconds", "6", "--journal", journalPath});
    const std::string port = sim.firstLine();
    const auto registered = [&] { return fs::is_symlink(fs::symlink_status(port)); };
    std::vector<std::uint8_t> before;
    {
        LineReader line(port);
        line.send(0x84);
        for (int i = 0; i < 300 && registered(); ++i) {
            const auto bytes = line.collect(10ms);
            before.insert(before.end(), bytes.begin(), bytes.end());
        }
        ASSERT_FALSE(registered()) << "the name stays while the line is out";
    }
    for (int i = 0; i < 300 && !registered(); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(registered()) << "the name does not come back";
    LineReader again(port);
    // Nothing is sent: the unit still transmits as it was told before.
    const auto after = splitFrames(again.collectAtLeast(19 * 256, 3s));
    const auto first = splitFrames(before);
    ASSERT_GE(first.size(), 100u);
    ASSERT_GE(after.size(), 256u);
    for (const auto& f : after) EXPECT_TRUE(f.checksumOk());
    const auto slice = [](const Frame& f) { return f.second() * 256 + f.index(); };
    for (std::size_t i = 1; i < after.size(); ++i) ASSERT_EQ(slice(after[i]), slice(after[i - 1]) + 1) << i;
    // The clock ran on while the line was out: about a second of samples is missing.
    const int missing = slice(after.front()) - slice(first.back()) - 1;
    EXPECT_GE(missing, 200);
    EXPECT_LT(missing, 3 * 256);
    again.send(0x04);
    sim.signal(SIGINT);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(registered()) << "the port is unregistered at the end";

    double unplugAt = -1, replugAt = -1;
    std::ifstream journal(journalPath);
    for (std::string l; std::getline(journal, l);) {
        const auto blank = l.find(' ');
        if (l.substr(blank + 1) == "unplug") unplugAt = std::stod(l.substr(0, blank));
        if (l.substr(blank + 1) == "replug") replugAt = std::stod(l.substr(0, blank));
    }
    EXPECT_GE(unplugAt, 1.0);
    EXPECT_GE(replugAt, 2.0);
    EXPECT_GT(replugAt, unplugAt);
}

TEST_F(ZuvaSimTest, BadOptionsAreRefusedWithUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--start", "2005-13-11 00:00:00"}, {"--rate-multiplier", "0"},
          {"--name", "../x"}, {"--bad-checksum-every", "x"}, {"--what"}, {"--unplug-at", "3"}}) {
        SimProcess sim(args);
        EXPECT_EQ(sim.wait(), 2) << args[0];
    }
}

}  // namespace
}  // namespace zuva::tools

// The main thread held up for three seconds while the instrument streams over a
// real pseudo-terminal: the port's event thread reads ahead into its input queue,
// so no byte is lost, the first notification after the hold finds the backlog and
// switches the charts off with the overload lines, and every second is recorded.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/Acquisition.h"
#include "acquisition/FrameEncoder.h"
#include "app/SerialPortLink.h"
#include "fakes/FakeChartFeed.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDataFileSink.h"
#include "fakes/FakePortPresence.h"
#include "fakes/FakeStatusPanels.h"
#include "fakes/FakeTimer.h"
#include "fakes/FakeVisualizationSwitch.h"
#include "fakes/RecordingLog.h"
#include "serial/MainThreadQueue.h"
#include "serial/PtyTestSupport.h"

namespace zuva::app {
namespace {

using namespace std::chrono_literals;
namespace acq = acquisition;

constexpr acq::FrameDateTime kStart{2026, 12, 11, 13, 30, 0};
constexpr int kSeconds = 7;

std::int32_t sampleAt(int second, int index, int axis) { return second * 100000 + index * 10 + axis; }

acq::DataFrame frameAt(int second, int index) {
    acq::FrameDateTime t = kStart;
    t.second += second;
    return acq::encodeDataFrame(t, 0x08, static_cast<std::uint8_t>(index), sampleAt(second, index, 0),
                                sampleAt(second, index, 1), sampleAt(second, index, 2));
}

// The acquisition core on a real pseudo-terminal, with fakes around it.
class HeldMainThread : public ::testing::Test {
protected:
    HeldMainThread() {
        clock.set({2026, 12, 11, 13, 30, 0, 0});
        core.decoder().setAveraging(1);
        link.port().OnRxChar = [this](serial::TComPort&, int count) { core.ComPort1RxChar(count); };
        link.port().SetPort(pty.path());
    }

    // Opens the port (with an input queue of `inputSize` bytes, or the default) and
    // starts a run; the log starts empty from here.
    void startRun(int inputSize = 0) {
        if (inputSize > 0) link.port().Buffer().SetInputSize(inputSize);
        link.port().OpenPort();
        core.PrepareRun();
        core.StartTransmission();
        log.clear();
    }

    // The instrument sends kSeconds seconds at the line's own pace (16 frames every
    // 62.5 ms). The main thread serves the line until the first second is recorded,
    // is held for three seconds, then serves until `done` holds (30 s at most) and
    // the instrument has finished; whether `done` came.
    bool holdWhileStreaming(const std::function<bool()>& done) {
        std::thread instrument([this] {
            const auto begin = std::chrono::steady_clock::now();
            for (int slice = 0; slice < kSeconds * 16; ++slice) {
                std::vector<std::uint8_t> bytes;
                for (int n = 0; n < 16; ++n) {
                    const auto f = frameAt(slice / 16, (slice % 16) * 16 + n);
                    bytes.insert(bytes.end(), f.begin(), f.end());
                }
                std::this_thread::sleep_until(begin + slice * 62500us);
                pty.writeAll(bytes.data(), bytes.size());
            }
        });
        queue.serveUntil([this] { return !file.records.empty(); }, 20s);
        std::this_thread::sleep_for(3s);
        const bool came = queue.serveUntil(done, 30s);
        instrument.join();
        queue.serveUntil([] { return false; }, 100ms);
        link.port().ClosePort();
        return came;
    }

    serial::testing::PtyPair pty;
    serial::MainThreadQueue queue;
    fakes::RecordingLog log;
    SerialPortLink link{queue, log};
    fakes::FakeTimer timer;
    fakes::FakePortPresence presence;
    acq::ControlStates controls;
    fakes::FakeClock clock;
    fakes::FakeDataFileSink file;
    fakes::FakeChartFeed chart;
    fakes::FakeStatusPanels panels;
    fakes::FakeVisualizationSwitch visualization;
    acq::Acquisition core{{link, timer, presence, controls, log, clock, file, chart, panels, visualization}};
};

TEST_F(HeldMainThread, ThreeSecondsOfHoldLoseNoByteAndSwitchTheChartsOff) {
    startRun();
    const bool complete =
        holdWhileStreaming([this] { return file.records.size() >= static_cast<std::size_t>(kSeconds - 2); });

    ASSERT_TRUE(complete) << file.records.size() << " seconds recorded";
    // Every second from the third on is whole: no byte was lost.
    ASSERT_EQ(file.records.size(), static_cast<std::size_t>(kSeconds - 2));
    for (std::size_t r = 0; r < file.records.size(); ++r) {
        const int second = static_cast<int>(r) + 2;
        EXPECT_EQ(file.records[r].second, second);
        for (int i = 0; i < 256; ++i) {
            const auto at = static_cast<std::size_t>(i);
            ASSERT_EQ(file.records[r].bx[at], sampleAt(second, i, 0)) << "second " << second << " position " << i;
            ASSERT_EQ(file.records[r].bz[at], sampleAt(second, i, 2)) << "second " << second << " position " << i;
        }
    }
    EXPECT_EQ(core.counters().samplesFilled, 0u);
    EXPECT_EQ(link.port().DroppedBytes(), 0u);
    // The backlog after the hold was seen whole: well above one second of data.
    std::vector<std::string> overload;
    for (std::size_t n = 0; n + 1 < log.lines.size(); ++n) {
        if (log.lines[n].rfind("Count= ", 0) != 0) continue;
        EXPECT_GT(std::stoi(log.lines[n].substr(7)), 2 * 4864) << log.lines[n];
        EXPECT_EQ(log.lines[n + 1], "Sorry, not enough CPU resources for real time visualization! Visualization: Off.");
        overload.push_back(log.lines[n]);
    }
    EXPECT_FALSE(overload.empty()) << "the backlog went unnoticed";
    EXPECT_GE(visualization.overloads, 1);
    for (const std::string& line : log.lines) {
        EXPECT_TRUE(line.rfind("Count= ", 0) == 0 || line.rfind("Sorry, not enough CPU", 0) == 0 ||
                    line.rfind("GPS: ", 0) == 0)
            << "unexpected line: " << line;
    }
}

TEST_F(HeldMainThread, AnOverflowOfTheInputQueueIsLoggedOnceAndReceptionFindsItsWayBack) {
    // A queue of under two seconds of data cannot hold three seconds of hold.
    startRun(8192);
    const bool last = holdWhileStreaming(
        [this] { return !file.records.empty() && file.records.back().second == kSeconds - 1; });

    ASSERT_TRUE(last) << "the last second was not recorded";
    const std::uint64_t dropped = link.port().DroppedBytes();
    ASSERT_GT(dropped, 0u);
    EXPECT_EQ(link.port().Overflows(), 1u);
    std::vector<std::string> overflow;
    for (const std::string& line : log.lines) {
        if (line.rfind("Input queue overflow: ", 0) == 0) overflow.push_back(line);
    }
    EXPECT_EQ(overflow, (std::vector<std::string>{"Input queue overflow: " + std::to_string(dropped) +
                                                  " bytes lost, reception resynchronised"}));
    EXPECT_EQ(core.receiver().droppedInputBytes(), dropped);
    // The last second came after the loss: whole and exact.
    const auto& rec = file.records.back();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(rec.bx[static_cast<std::size_t>(i)], sampleAt(kSeconds - 1, i, 0)) << "position " << i;
    }
}

}  // namespace
}  // namespace zuva::app

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "PtyTestSupport.h"
#include "acquisition/FrameEncoder.h"
#include "serial/EComPort.h"
#include "serial/MainThreadQueue.h"
#include "serial/TComPort.h"

namespace zuva::serial {
namespace {

using namespace std::chrono_literals;

// One minute of the instrument's 256 Hz stream: 15360 DataFrames.
std::vector<std::uint8_t> minuteOfFrames() {
    std::vector<std::uint8_t> bytes;
    acquisition::FrameDateTime when{2024, 6, 30, 10, 20, 0};
    for (int second = 0; second < 60; ++second) {
        when.second = second;
        for (int i = 0; i < 256; ++i) {
            const auto f = acquisition::encodeDataFrame(when, 0x08, static_cast<std::uint8_t>(i), 20000 + i,
                                                        -3000 - second, 40000 + i * second);
            bytes.insert(bytes.end(), f.begin(), f.end());
        }
    }
    return bytes;
}

class ComPortStreamTest : public ::testing::Test {
protected:
    testing::PtyPair pty;
    MainThreadQueue queue;
    TComPort port{queue};
    std::vector<std::uint8_t> received;
    std::vector<int> counts;
    std::thread::id mainThread = std::this_thread::get_id();
    bool inHandler = false;
    bool overlapped = false;
    bool offThread = false;

    void SetUp() override { port.SetPort(pty.path()); }

    // The program's handler: reads exactly Count bytes.
    void readAll(TComPort& sender, int count) {
        if (inHandler) overlapped = true;
        if (std::this_thread::get_id() != mainThread) offThread = true;
        inHandler = true;
        counts.push_back(count);
        std::vector<std::uint8_t> batch(static_cast<std::size_t>(count));
        const std::size_t got = sender.ReadBytes(batch);
        EXPECT_EQ(got, static_cast<std::size_t>(count)) << "the queue shrank between count and read";
        received.insert(received.end(), batch.begin(), batch.begin() + static_cast<long>(got));
        inHandler = false;
    }
};

TEST_F(ComPortStreamTest, AMinuteOfFramesArrivesByteExactWithoutLossOrOverlap) {
    port.OnRxChar = [this](TComPort& sender, int count) { readAll(sender, count); };
    // The writer here is not paced by a line: a queue that holds the whole minute
    // keeps a slow main thread from losing bytes to a full queue.
    port.Buffer().SetInputSize(512000);
    port.OpenPort();
    const std::vector<std::uint8_t> sent = minuteOfFrames();
    ASSERT_EQ(sent.size(), 15360u * 19u);
    std::thread writer([&] { pty.writeAll(sent.data(), sent.size()); });
    const bool complete = queue.serveUntil([&] { return received.size() >= sent.size(); }, 60s);
    writer.join();
    // Anything more that arrived would be a byte announced twice.
    queue.serveUntil([] { return false; }, 50ms);
    EXPECT_TRUE(complete);
    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent) << "bytes differ";
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(offThread);
    for (int c : counts) ASSERT_GT(c, 0) << "OnRxChar with Count 0";
    port.ClosePort();
}

TEST_F(ComPortStreamTest, ReadBytesNeverBlocksAndTakesWhatIsQueued) {
    port.OpenPort();  // no handler: the bytes stay queued
    std::uint8_t buffer[10];
    EXPECT_EQ(port.ReadBytes(buffer), 0u);
    pty.writeAll("\xC1\x01\x02\x03");
    ASSERT_TRUE(queue.serveUntil([&] { return port.WaitingCount() == 4; }, 2s));
    EXPECT_EQ(port.ReadBytes(buffer), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "\xC1\x01\x02\x03");
    EXPECT_EQ(port.WaitingCount(), 0);
}

TEST_F(ComPortStreamTest, WriteTextSendsTheBytesAndAnEmptyTextNothing) {
    port.OpenPort();
    EXPECT_EQ(port.WriteText(""), 0u);
    EXPECT_EQ(port.WriteText("\x84"), 1u);
    EXPECT_EQ(port.WriteText(std::string("\x00\x87", 2)), 2u);
    EXPECT_EQ(pty.readMaster(3), std::string("\x84\x00\x87", 3));
}

TEST_F(ComPortStreamTest, AByteWrittenJustBeforeClosingStillReachesTheOtherEnd) {
    // As at shut-down: the stop byte, then the port closed at once, before the
    // other end has read anything.
    for (int round = 0; round < 20; ++round) {
        port.OpenPort();
        ASSERT_EQ(port.WriteText("\x04"), 1u);
        port.ClosePort();
        ASSERT_EQ(pty.readMaster(1), "\x04") << "round " << round;
    }
}

TEST_F(ComPortStreamTest, AWriteNobodyTakesEndsAfterTheWriteTime) {
    port.Timeouts().SetWriteTotalConstant(30);
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.OpenPort();
    const std::string big(1 << 20, 'x');  // far more than the pty holds; the master never reads
    const std::size_t written = port.WriteText(big);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, big.size()) << "a write cut short by the time-out returns the smaller count";
}

TEST_F(ComPortStreamTest, ANotificationWithNoHandlerReadingDoesNotSpin) {
    port.OnRxChar = [this](TComPort&, int count) { counts.push_back(count); };  // reads nothing
    port.OpenPort();
    pty.writeAll("abc");
    ASSERT_TRUE(queue.serveUntil([&] { return !counts.empty(); }, 2s));
    queue.serveUntil([] { return false; }, 100ms);
    const auto wakeups = port.EventThread()->wakeups();
    EXPECT_LE(counts.size(), 2u) << "unread bytes were announced again and again";
    EXPECT_LE(wakeups, 3u);
    // New bytes bring a new notification with everything that waits.
    pty.writeAll("de");
    ASSERT_TRUE(queue.serveUntil([&] { return counts.back() == 5; }, 2s));
}

TEST_F(ComPortStreamTest, AHandlerErrorReachesTheMainThreadAndDeliveryGoesOn) {
    int calls = 0;
    port.OnRxChar = [&](TComPort& sender, int count) {
        ++calls;
        std::vector<std::uint8_t> batch(static_cast<std::size_t>(count));
        sender.ReadBytes(batch);
        received.insert(received.end(), batch.begin(), batch.end());
        if (calls == 1) throw std::runtime_error("I/O error 28");
    };
    port.OpenPort();
    pty.writeAll("first");
    EXPECT_THROW(queue.serveUntil([&] { return calls >= 1; }, 2s), std::runtime_error);
    pty.writeAll("second");
    ASSERT_TRUE(queue.serveUntil([&] { return received.size() == 11; }, 2s));
    EXPECT_EQ(std::string(received.begin(), received.end()), "firstsecond");
}

TEST_F(ComPortStreamTest, ClosingWhileAHandOffIsPendingRunsItFirst) {
    port.OnRxChar = [this](TComPort& sender, int count) { readAll(sender, count); };
    port.OpenPort();
    pty.writeAll("pending");
    // Do not serve: wait until the event thread sits in its hand-off.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (queue.waiting() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    ASSERT_EQ(queue.waiting(), 1u);
    port.ClosePort();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(std::string(received.begin(), received.end()), "pending");
}

// A port destroyed with a hand-off waiting (bytes, or the loss of the device) calls
// no handler: its owner, whose parts the handlers use, is being taken apart.
TEST(ComPortDestruction, AWaitingHandOffCallsNoHandlerWhenThePortIsDestroyed) {
    for (const bool deviceLost : {false, true}) {
        SCOPED_TRACE(deviceLost ? "loss waiting" : "bytes waiting");
        testing::PtyPair pty;
        MainThreadQueue queue;
        int calls = 0;
        auto port = std::make_unique<TComPort>(queue);
        port->SetPort(pty.path());
        port->OnRxChar = [&calls](TComPort&, int) { ++calls; };
        port->OnDeviceLost = [&calls](TComPort&, int) { ++calls; };
        port->OpenPort();
        if (deviceLost) {
            pty.closeMaster();
        } else {
            pty.writeAll("pending");
        }
        // Do not serve: wait until the event thread sits in its hand-off.
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (queue.waiting() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        ASSERT_EQ(queue.waiting(), 1u);
        port.reset();
        EXPECT_EQ(calls, 0);
    }
}

TEST_F(ComPortStreamTest, AHandlerMayCloseAndReopenThePort) {
    testing::PtyPair second;
    int calls = 0;
    port.OnRxChar = [&](TComPort& sender, int count) {
        ++calls;
        readAll(sender, count);
        sender.ClosePort();
        sender.SetPort(second.path());
        sender.OpenPort();
    };
    port.OpenPort();
    pty.writeAll("one");
    ASSERT_TRUE(queue.serveUntil([&] { return calls == 1; }, 2s));
    EXPECT_TRUE(port.Connected());
    second.writeAll("two");
    ASSERT_TRUE(queue.serveUntil([&] { return calls == 2; }, 2s));
    EXPECT_EQ(std::string(received.begin(), received.end()), "onetwo");
    port.OnRxChar = nullptr;
    port.ClosePort();
}

}  // namespace
}  // namespace zuva::serial

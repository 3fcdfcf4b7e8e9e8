#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "PtyTestSupport.h"
#include "serial/EComPort.h"
#include "serial/MainThreadQueue.h"
#include "serial/TComPort.h"

namespace zuva::serial {
namespace {

using namespace std::chrono_literals;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

TEST(ComPortUnplugTest, AVanishedDeviceEndsTheThreadOnceAndThePortReopens) {
    testing::TempDir dir;
    const std::string name = dir.file("sim0");  // a virtual port: a link to a pty
    auto pty = std::make_unique<testing::PtyPair>();
    std::filesystem::create_symlink(pty->path(), name);

    MainThreadQueue queue;
    TComPort port(queue);
    std::string received;
    std::vector<int> lost;
    port.OnRxChar = [&](TComPort& sender, int count) {
        std::vector<std::uint8_t> batch(static_cast<std::size_t>(count));
        const auto n = sender.ReadBytes(batch);
        received.append(batch.begin(), batch.begin() + static_cast<long>(n));
    };
    port.OnDeviceLost = [&](TComPort&, int code) { lost.push_back(code); };
    port.SetPort(name);
    port.OpenPort();
    pty->writeAll("before");
    ASSERT_TRUE(queue.serveUntil([&] { return received == "before"; }, 2s));

    pty->closeMaster();  // unplugged
    ASSERT_TRUE(queue.serveUntil([&] { return !lost.empty(); }, 2s));
    EXPECT_TRUE(port.DeviceLost());
    // The thread finishes right after its last hand-off has returned.
    EXPECT_TRUE(queue.serveUntil([&] { return port.EventThread()->finished(); }, 2s));
    const auto wakeups = port.EventThread()->wakeups();
    const double cpuBefore = processCpuSeconds();
    queue.serveUntil([] { return false; }, 200ms);
    EXPECT_EQ(port.EventThread()->wakeups(), wakeups) << "the thread goes on waking after the loss";
    EXPECT_LT(processCpuSeconds() - cpuBefore, 0.1) << "something spins after the loss";
    ASSERT_EQ(lost.size(), 1u) << "the loss is reported once";
    EXPECT_EQ(lost[0], EIO);
    try {
        port.WriteText("\x04");
        ADD_FAILURE() << "a write to a vanished device succeeded";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
    }

    // The device comes back under the same name.
    port.ClosePort();
    EXPECT_FALSE(port.DeviceLost());
    pty = std::make_unique<testing::PtyPair>();
    std::filesystem::remove(name);
    std::filesystem::create_symlink(pty->path(), name);
    port.OpenPort();
    pty->writeAll("after");
    ASSERT_TRUE(queue.serveUntil([&] { return received == "beforeafter"; }, 2s));
    EXPECT_EQ(port.WriteText("\x84"), 1u);
    EXPECT_EQ(pty->readMaster(1), "\x84");
    EXPECT_EQ(lost.size(), 1u);
}

TEST(ComPortUnplugTest, TheLossHandlerMayCloseThePortAtOnce) {
    testing::PtyPair pty;
    MainThreadQueue queue;
    TComPort port(queue);
    bool closedInHandler = false;
    port.OnDeviceLost = [&](TComPort& sender, int) {
        sender.ClosePort();
        closedInHandler = !sender.Connected();
    };
    port.SetPort(pty.path());
    port.OpenPort();
    pty.closeMaster();
    ASSERT_TRUE(queue.serveUntil([&] { return closedInHandler; }, 2s));
    EXPECT_FALSE(port.Connected());
    testing::PtyPair next;
    port.SetPort(next.path());
    port.OpenPort();  // joins the old thread and starts afresh
    EXPECT_TRUE(port.Connected());
    EXPECT_FALSE(port.DeviceLost());
}

}  // namespace
}  // namespace zuva::serial

// The notifications to the service manager over a real datagram socket.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "NotifySocket.h"
#include "service/ServiceHeartbeat.h"
#include "service/ServiceNotifier.h"
#include "service/WatchdogGate.h"

namespace zuva::service {
namespace {

using namespace std::chrono_literals;
using testing::NotifySocket;
using testing::ScopedEnv;

TEST(ServiceNotifier, SendsReadyStatusWatchdogAndStoppingAsDatagrams) {
    NotifySocket socket;
    ScopedEnv notify("NOTIFY_SOCKET", socket.path());
    ServiceNotifier notifier;
    ASSERT_TRUE(notifier.enabled());
    notifier.ready();
    notifier.status("Recording; last second 2024-06-30 10:20:30;\nbacklog 0 s");
    notifier.watchdog();
    notifier.stopping();
    EXPECT_EQ(socket.receive(5s), "READY=1");
    EXPECT_EQ(socket.receive(5s), "STATUS=Recording; last second 2024-06-30 10:20:30; backlog 0 s");
    EXPECT_EQ(socket.receive(5s), "WATCHDOG=1");
    EXPECT_EQ(socket.receive(5s), "STOPPING=1");
    EXPECT_EQ(notifier.failures(), 0);
}

TEST(ServiceNotifier, WithoutNotifySocketNothingIsSent) {
    NotifySocket socket;
    ::unsetenv("NOTIFY_SOCKET");
    ServiceNotifier notifier;
    EXPECT_FALSE(notifier.enabled());
    EXPECT_EQ(notifier.watchdogInterval(), 0us);
    notifier.ready();
    notifier.watchdog();
    EXPECT_EQ(socket.receive(200ms), std::nullopt);
}

TEST(ServiceNotifier, TakesTheWatchdogIntervalMeantForThisProcess) {
    NotifySocket socket;
    ScopedEnv notify("NOTIFY_SOCKET", socket.path());
    {
        ScopedEnv usec("WATCHDOG_USEC", "30000000");
        ScopedEnv pid("WATCHDOG_PID", std::to_string(::getpid()));
        EXPECT_EQ(ServiceNotifier().watchdogInterval(), 30s);
    }
    {
        // Another process's watchdog is not ours.
        ScopedEnv usec("WATCHDOG_USEC", "30000000");
        ScopedEnv pid("WATCHDOG_PID", std::to_string(::getpid() + 1));
        EXPECT_EQ(ServiceNotifier().watchdogInterval(), 0us);
    }
}

TEST(ServiceNotifier, AVanishedSocketIsCountedNotThrown) {
    std::string path;
    {
        NotifySocket socket;
        path = socket.path();
    }
    ScopedEnv notify("NOTIFY_SOCKET", path);
    ServiceNotifier notifier;
    notifier.ready();
    notifier.watchdog();
    EXPECT_EQ(notifier.failures(), 2);
}

using Clock = WatchdogGate::Clock;

TEST(WatchdogGate, FeedsWhileSecondsArriveOrTheirSilenceIsAccountedFor) {
    const Clock::time_point t0{};
    WatchdogGate gate(15s);
    EXPECT_TRUE(gate.mayFeed(t0));  // no run yet: silence is expected
    gate.setSilenceAccounted(false, t0);  // a run begins
    EXPECT_TRUE(gate.mayFeed(t0 + 15s));
    EXPECT_FALSE(gate.mayFeed(t0 + 16s));  // no second within the allowance
    gate.secondArrived(t0 + 20s);
    EXPECT_TRUE(gate.mayFeed(t0 + 21s));
    EXPECT_TRUE(gate.mayFeed(t0 + 35s));
    EXPECT_FALSE(gate.mayFeed(t0 + 36s));
    gate.setSilenceAccounted(true, t0 + 40s);  // port lost, being retried
    EXPECT_TRUE(gate.mayFeed(t0 + 400s));
    gate.setSilenceAccounted(false, t0 + 400s);  // back: a fresh allowance
    EXPECT_TRUE(gate.mayFeed(t0 + 415s));
    EXPECT_FALSE(gate.mayFeed(t0 + 416s));
}

struct StatusCase {
    const char* name;
    StationState state;
    const char* line;
};

class StatusLine : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusLine, SaysWhatTheStationDoes) { EXPECT_EQ(ServiceHeartbeat::statusLine(GetParam().state), GetParam().line); }

StationState state(bool waitPort, bool waitDir, bool lost, bool running, const char* last, std::size_t backlog) {
    StationState s;
    s.waitingForPort = waitPort;
    s.waitingForDirectory = waitDir;
    s.portLost = lost;
    s.running = running;
    s.port = "/dev/serial/by-id/usb-FTDI_X-if00-port0";
    s.directory = "/srv/zuva/site";
    s.lastSecond = last;
    s.backlogSeconds = backlog;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    States, StatusLine,
    ::testing::Values(
        StatusCase{"WaitingForPort", state(true, false, false, false, "", 0),
                   "Waiting for the port /dev/serial/by-id/usb-FTDI_X-if00-port0"},
        StatusCase{"WaitingForDirectory", state(false, true, false, false, "", 0),
                   "Waiting for the output directory /srv/zuva/site"},
        StatusCase{"WaitingForBoth", state(true, true, false, false, "", 0),
                   "Waiting for the port /dev/serial/by-id/usb-FTDI_X-if00-port0 and the output directory "
                   "/srv/zuva/site"},
        StatusCase{"Recording", state(false, false, false, true, "2024-06-30 10:20:30", 12),
                   "Recording; last second 2024-06-30 10:20:30; backlog 12 s"},
        StatusCase{"PortLost", state(false, false, true, true, "2024-06-30 10:20:30", 0),
                   "Port lost, reconnecting: /dev/serial/by-id/usb-FTDI_X-if00-port0; last second 2024-06-30 "
                   "10:20:30; backlog 0 s"},
        StatusCase{"Idle", state(false, false, false, false, "", 0), "Not recording; last second none; backlog 0 s"}),
    [](const ::testing::TestParamInfo<StatusCase>& row) { return std::string(row.param.name); });

TEST(ServiceHeartbeat, SendsStatusOnChangeAndWatchdogOnlyWhileTheGateAllows) {
    NotifySocket socket;
    ScopedEnv notify("NOTIFY_SOCKET", socket.path());
    ServiceNotifier notifier;
    WatchdogGate gate(15s);
    ServiceHeartbeat heartbeat(notifier, gate);
    const Clock::time_point t0{};
    StationState s = state(false, false, false, true, "2024-06-30 10:20:30", 0);
    heartbeat.tick(s, t0);
    EXPECT_EQ(socket.receive(5s), "STATUS=Recording; last second 2024-06-30 10:20:30; backlog 0 s");
    EXPECT_EQ(socket.receive(5s), "WATCHDOG=1");
    heartbeat.tick(s, t0 + 1s);  // same status: only the watchdog
    EXPECT_EQ(socket.receive(5s), "WATCHDOG=1");
    heartbeat.tick(s, t0 + 20s);  // a run whose seconds stopped: the watchdog runs out
    EXPECT_EQ(socket.receive(300ms), std::nullopt);
    s.portLost = true;  // ... unless the port is away and being retried
    heartbeat.tick(s, t0 + 21s);
    EXPECT_EQ(socket.receive(5s),
              "STATUS=Port lost, reconnecting: /dev/serial/by-id/usb-FTDI_X-if00-port0; last second 2024-06-30 "
              "10:20:30; backlog 0 s");
    EXPECT_EQ(socket.receive(5s), "WATCHDOG=1");
}

// The watchdog is fed from the main loop: while the loop is held, no WATCHDOG=1
// reaches the manager, and it comes again once the loop turns.
TEST(ServiceHeartbeat, WatchdogStopsWhileTheMainLoopIsHeld) {
    NotifySocket socket;
    ScopedEnv notify("NOTIFY_SOCKET", socket.path());
    int argc = 1;
    char name[] = "tests_service";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    ServiceNotifier notifier;
    WatchdogGate gate;
    ServiceHeartbeat heartbeat(notifier, gate);
    StationState idle = state(false, false, false, false, "", 0);

    // A reader thread notes when each watchdog message arrives.
    std::mutex mutex;
    std::vector<Clock::time_point> arrivals;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done) {
            const auto message = socket.receive(50ms);
            if (message && *message == "WATCHDOG=1") {
                std::lock_guard<std::mutex> lock(mutex);
                arrivals.push_back(Clock::now());
            }
        }
    });
    const auto count = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return arrivals.size();
    };

    QTimer ticks;
    ticks.setInterval(50);
    QObject::connect(&ticks, &QTimer::timeout, [&] { heartbeat.tick(idle, Clock::now()); });
    ticks.start();
    Clock::time_point holdStart{}, holdEnd{};
    std::size_t beforeHold = 0;
    QTimer control;
    control.setInterval(20);
    int phase = 0;
    QObject::connect(&control, &QTimer::timeout, [&] {
        if (phase == 0 && count() >= 3) {
            // Hold the main loop for 1.5 s, as a handler that never returns would.
            phase = 1;
            beforeHold = count();
            holdStart = Clock::now();
            std::this_thread::sleep_for(1500ms);
            holdEnd = Clock::now();
        } else if (phase == 1 && count() >= beforeHold + 3) {
            QCoreApplication::quit();
        }
    });
    control.start();
    QTimer::singleShot(60000, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    done = true;
    reader.join();

    ASSERT_EQ(phase, 1);
    ASSERT_GE(arrivals.size(), beforeHold + 3) << "the watchdog did not come back after the hold";
    // Nothing arrived while the loop was held (messages sent just before it may still
    // be taken from the socket in its first moments).
    for (const auto& at : arrivals) {
        EXPECT_FALSE(at > holdStart + 500ms && at < holdEnd) << "a watchdog message came while the loop was held";
    }
    // The longest pause between two messages spans the hold.
    Clock::duration longest{};
    for (std::size_t i = 1; i < arrivals.size(); ++i) longest = std::max(longest, arrivals[i] - arrivals[i - 1]);
    EXPECT_GE(longest, 1000ms);
}

}  // namespace
}  // namespace zuva::service

#include "acquisition/PortReconnect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AcquisitionRig.h"
#include "acquisition/AcquisitionRun.h"
#include "acquisition/PortGap.h"
#include "fakes/FakeReopenablePort.h"
#include "fakes/FakeRetryTimer.h"

namespace zuva::acquisition {
namespace {

using testing::AcquisitionRig;
using testing::Sample;
using testing::defaultSample;
using testing::later;
using testing::Stream;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr FrameDateTime kT0{2024, 6, 30, 12, 0, 0};
constexpr const char* kLostLine = "ComPort lost: /dev/ttyUSB0 (system error 5: Input/output error); reconnecting";

// A run in progress on a port that can vanish, with its Stop wired as the program does.
class PortReconnectTest : public ::testing::Test {
protected:
    PortReconnectTest() {
        port.journal = &rig.journal;
        port.listed = {"/dev/ttyS0", port.name};
    }

    AcquisitionRun::Hooks hooks() {
        AcquisitionRun::Hooks h;
        h.openPort = [this] { rig.journal.add("open port"); };
        h.endPortWait = [this] { return reconnect.EndWait(); };
        return h;
    }

    // Start at 256 Hz with gain 100, so that the control byte in force is 0x86.
    void startRun() {
        rig.acq.decoder().setAveraging(1);
        rig.acq.controlWord().ComboBox3Change(2);
        run.Button1Click();
        rig.log.clear();
        rig.port.sent.clear();
        rig.journal.calls.clear();
    }

    // The port vanishes: nothing listed any more.
    void unplug(int systemCode = 5) {
        port.listed = {"/dev/ttyS0"};
        reconnect.PortLost(systemCode);
    }

    // One second of waiting, then the retry timer's expiry.
    void waitASecond() {
        ASSERT_TRUE(retry.active) << "no try is due";
        retry.active = false;
        rig.clock.advance(1000);
        reconnect.RetryTimerTimer();
    }

    bool enabled(Control c) const { return rig.controls.isEnabled(c); }

    AcquisitionRig rig;
    fakes::FakeReopenablePort port;
    fakes::FakeRetryTimer retry;
    PortReconnect reconnect{rig.acq, port, &retry, rig.timer, rig.log, rig.clock};
    AcquisitionRun run{rig.acq, rig.presence, rig.controls, rig.timer, rig.log, hooks()};
};

TEST_F(PortReconnectTest, LossDuringARunIsLoggedOnceAndTheRunStaysStarted) {
    startRun();
    unplug();

    EXPECT_EQ(rig.log.lines, Lines{kLostLine});
    EXPECT_EQ(port.releases, 1);
    EXPECT_TRUE(reconnect.Waiting());
    EXPECT_EQ(retry.intervals, std::vector<int>{1000});
    EXPECT_TRUE(rig.acq.DataMode());
    EXPECT_TRUE(rig.port.sent.empty());
    // The buttons and the locks of the run are as they were.
    EXPECT_FALSE(enabled(Control::StartButton));
    EXPECT_FALSE(enabled(Control::GpsButton));
    EXPECT_TRUE(enabled(Control::StopButton));
    EXPECT_FALSE(enabled(Control::GainBox));
    EXPECT_FALSE(enabled(Control::ComPortMenu));
    EXPECT_FALSE(enabled(Control::RateBox));
}

TEST_F(PortReconnectTest, TriesOnceASecondUntilTheSameNameOpensThenSendsTheControlByteAgain) {
    struct Case {
        const char* what;
        int secondsAway;   // tries while the name is not listed
        int failedOpens;   // tries after that whose opening is refused
        Lines failureLines;
    };
    const std::vector<Case> cases{
        {"back at the first try", 0, 0, {}},
        {"away for three seconds", 3, 0, {}},
        {"listed but busy twice",
         1,
         2,
         {"Error: ComPort not reopened: /dev/ttyUSB0: Unable to open com port (system error 16)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AcquisitionRig r;
        fakes::FakeReopenablePort p;
        fakes::FakeRetryTimer t;
        PortReconnect pr{r.acq, p, &t, r.timer, r.log, r.clock};
        r.acq.controlWord().ComboBox3Change(2);
        r.start();
        p.listed = {};
        pr.PortLost(5);
        p.failOpens = c.failedOpens;

        const int tries = c.secondsAway + c.failedOpens + 1;
        for (int i = 1; i <= tries; ++i) {
            ASSERT_TRUE(t.active) << "try " << i;
            if (i == c.secondsAway + 1) p.listed = {p.name};
            t.active = false;
            r.clock.advance(1000);
            pr.RetryTimerTimer();
            EXPECT_EQ(p.listings, i) << "one look at the port list per try";
        }
        EXPECT_FALSE(pr.Waiting());
        EXPECT_FALSE(t.active);
        // Restarted after every try that failed, always for one second.
        EXPECT_EQ(t.intervals, std::vector<int>(static_cast<std::size_t>(tries), 1000));
        EXPECT_EQ(p.openAttempts, c.failedOpens + 1) << "an unlisted name is never opened";
        EXPECT_TRUE(p.open);
        EXPECT_EQ(r.port.sent, Bytes{0x86});

        Lines expected{kLostLine};
        expected.insert(expected.end(), c.failureLines.begin(), c.failureLines.end());
        const std::string gap = std::to_string(tries) + ".000 s";
        expected.push_back("ComPort reconnected: /dev/ttyUSB0; lost at 10:20:30.000, back at 10:20:3" +
                           std::to_string(tries) + ".000, gap " + gap);
        EXPECT_EQ(r.log.lines, expected);
        EXPECT_TRUE(r.acq.DataMode());
    }
}

TEST_F(PortReconnectTest, RecordingGoesOnFromTheFirstWholeSecondAfterTheGap) {
    startRun();
    Stream before;
    before.seconds(kT0, 5);                        // recorded from 12:00:02
    before.second(later(kT0, 5), 0, 99);           // 12:00:05 breaks off after index 99 ...
    const Stream next = Stream().second(later(kT0, 5), 100, 100);
    before.raw(std::span<const std::uint8_t>(next.bytes()).first(7));  // ... and 7 bytes of 100
    rig.deliver(before);
    ASSERT_EQ(rig.file.records.size(), 3u);
    unplug();
    rig.clock.advance(2500);
    port.listed = {port.name};
    waitASecond();
    ASSERT_FALSE(reconnect.Waiting());
    rig.log.clear();

    // The line comes back in the middle of a frame of 12:00:09, index 150.
    const Stream tail = Stream().second(later(kT0, 9), 150, 150);
    rig.deliver(std::span<const std::uint8_t>(tail.bytes()).subspan(12));
    rig.deliver(Stream().second(later(kT0, 9), 151, 255).seconds(later(kT0, 10), 2));

    const Sample last = defaultSample(later(kT0, 5), 99);
    EXPECT_EQ(rig.notableLog(), (Lines{"Corrected data: 12 00 05(99-255) = " + std::to_string(last.bx) + " " +
                                       std::to_string(last.by) + " " + std::to_string(last.bz)}));
    ASSERT_EQ(rig.file.records.size(), 6u);
    const recording::SecondRecord& made = rig.file.records[3];
    EXPECT_EQ(made.second, 5);
    EXPECT_EQ(made.bx[99], last.bx);
    EXPECT_EQ(made.bx[98], defaultSample(later(kT0, 5), 98).bx);
    for (std::size_t i = 100; i < 256; ++i) ASSERT_EQ(made.bz[i], last.bz) << i;
    // 12:00:09 began in the gap and is not written; 12:00:10 and 12:00:11 are whole.
    for (std::size_t k = 0; k < 2; ++k) {
        const recording::SecondRecord& rec = rig.file.records[4 + k];
        const FrameDateTime t = later(kT0, 10 + static_cast<long>(k));
        EXPECT_EQ(rec.second, t.second);
        for (int i = 0; i < 256; ++i) {
            const auto at = static_cast<std::size_t>(i);
            ASSERT_EQ(rec.bx[at], defaultSample(t, i).bx) << k << " " << i;
            ASSERT_EQ(rec.by[at], defaultSample(t, i).by) << k << " " << i;
            ASSERT_EQ(rec.bz[at], defaultSample(t, i).bz) << k << " " << i;
        }
    }
}

TEST_F(PortReconnectTest, TheNoResponseTimerIsHeldWhileThePortIsAway) {
    for (const bool silentSoFar : {true, false}) {
        SCOPED_TRACE(silentSoFar ? "nothing received since Start" : "bytes received");
        AcquisitionRig r;
        fakes::FakeReopenablePort p;
        fakes::FakeRetryTimer t;
        PortReconnect pr{r.acq, p, &t, r.timer, r.log, r.clock};
        r.start();
        ASSERT_TRUE(r.timer.active);
        if (!silentSoFar) r.deliver(Stream().second(kT0, 0, 3));
        EXPECT_EQ(r.timer.active, silentSoFar);
        p.listed = {};
        pr.PortLost(5);
        EXPECT_FALSE(r.timer.active) << "a port that is away is not a silent instrument";
        p.listed = {p.name};
        t.active = false;
        pr.RetryTimerTimer();
        EXPECT_FALSE(pr.Waiting());
        EXPECT_EQ(r.timer.active, silentSoFar) << "an instrument still silent after the return is reported";
    }
}

TEST_F(PortReconnectTest, StopDuringTheWaitEndsTheRunWithoutTheMissingPort) {
    startRun();
    unplug();
    waitASecond();
    rig.clock.advance(1500);
    rig.presence.portGone = true;  // the presence check does not find it either
    run.Button2Click();

    EXPECT_EQ(rig.log.lines, (Lines{kLostLine,
                                    "ComPort not reconnected: /dev/ttyUSB0; lost at 10:20:30.000, given up at "
                                    "10:20:32.500, gap 2.500 s",
                                    "Stop = TEST.ZUV"}));
    EXPECT_FALSE(reconnect.Waiting());
    EXPECT_FALSE(retry.active);
    EXPECT_TRUE(rig.port.sent.empty()) << "nothing is sent to a port that is not there";
    EXPECT_EQ(rig.journal.calls, Lines{"release port"}) << "the port is not opened again";
    EXPECT_FALSE(rig.acq.DataMode());
    EXPECT_FALSE(rig.acq.controlWord().character(ControlWord::kTransmit));
    for (Control c : {Control::StartButton, Control::StopButton, Control::GpsButton, Control::GainBox,
                      Control::ComPortMenu, Control::FileMenu, Control::RateBox}) {
        EXPECT_TRUE(enabled(c)) << static_cast<int>(c);
    }
    // A try that was already due does nothing now.
    const int listings = port.listings;
    reconnect.RetryTimerTimer();
    EXPECT_EQ(port.listings, listings);
    EXPECT_EQ(port.openAttempts, 0);
}

TEST_F(PortReconnectTest, StopWhenThePortHasJustComeBackStopsTheInstrumentOnIt) {
    startRun();
    unplug();
    port.listed = {port.name};  // back, but the next try is not due yet
    run.Button2Click();

    EXPECT_EQ(rig.log.lines, (Lines{kLostLine,
                                    "ComPort not reconnected: /dev/ttyUSB0; lost at 10:20:30.000, given up at "
                                    "10:20:30.000, gap 0.000 s",
                                    "Stop = TEST.ZUV"}));
    EXPECT_EQ(rig.journal.calls, (Lines{"release port", "open port", "send 06"}));
    EXPECT_FALSE(rig.acq.DataMode());
    EXPECT_FALSE(retry.active);
}

TEST_F(PortReconnectTest, ShutDownDuringTheWaitStopsTrying) {
    startRun();
    unplug();
    rig.clock.advance(700);
    run.EndPortWait();
    EXPECT_EQ(rig.log.lines, (Lines{kLostLine, "ComPort not reconnected: /dev/ttyUSB0; lost at 10:20:30.000, given "
                                               "up at 10:20:30.700, gap 0.700 s"}));
    EXPECT_FALSE(retry.active);
    EXPECT_EQ(retry.stops, 1);
    // Once ended, there is nothing more to end.
    EXPECT_FALSE(reconnect.EndWait());
    run.EndPortWait();
    EXPECT_EQ(rig.log.lines.size(), 2u);
}

TEST_F(PortReconnectTest, APortBackUnderAnotherNameIsNotTaken) {
    startRun();
    unplug();
    port.listed = {"/dev/ttyS0", "/dev/ttyUSB1"};
    for (int i = 0; i < 5; ++i) waitASecond();
    EXPECT_TRUE(reconnect.Waiting());
    EXPECT_EQ(port.openAttempts, 0);
    EXPECT_EQ(port.name, "/dev/ttyUSB0");
    EXPECT_EQ(rig.log.lines, Lines{kLostLine});
    EXPECT_TRUE(retry.active) << "it keeps waiting for its own name";
}

TEST_F(PortReconnectTest, AnUnreadablePortListIsLoggedOnceAndTheTriesGoOn) {
    startRun();
    unplug();
    port.failListings = 3;
    for (int i = 0; i < 3; ++i) waitASecond();
    EXPECT_EQ(rig.log.lines, (Lines{kLostLine, "Error: port list not read: Registry error (system error 2)"}));
    port.listed = {port.name};
    waitASecond();
    EXPECT_FALSE(reconnect.Waiting());
    EXPECT_EQ(rig.log.lines.back(),
              "ComPort reconnected: /dev/ttyUSB0; lost at 10:20:30.000, back at 10:20:34.000, gap 4.000 s");
}

TEST_F(PortReconnectTest, AControlByteRefusedOnTheReturnIsLoggedAndTheRunGoesOn) {
    startRun();
    unplug();
    port.listed = {port.name};
    rig.port.failWrites = 1;
    waitASecond();
    EXPECT_EQ(rig.log.lines.back(), "Error: control byte not sent: WriteFile function failed (win error code: 6)");
    EXPECT_FALSE(reconnect.Waiting());
    EXPECT_TRUE(rig.acq.DataMode());
}

TEST_F(PortReconnectTest, LossOutsideARunIsOnlyLogged) {
    // A GPS request without answer yet: its no-response timer keeps running.
    rig.acq.controlWord().SpeedButton1Click();
    ASSERT_TRUE(rig.timer.active);
    rig.log.clear();
    unplug(19);
    EXPECT_EQ(rig.log.lines, Lines{"ComPort lost: /dev/ttyUSB0 (system error 19: No such device)"});
    EXPECT_EQ(port.releases, 1);
    EXPECT_FALSE(reconnect.Waiting());
    EXPECT_TRUE(retry.intervals.empty());
    EXPECT_TRUE(rig.timer.active);
    EXPECT_FALSE(reconnect.EndWait());
}

TEST_F(PortReconnectTest, WithoutARetryTimerTheRunWaitsForStop) {
    PortReconnect untimed{rig.acq, port, nullptr, rig.timer, rig.log, rig.clock};
    startRun();
    port.listed = {};
    untimed.PortLost(5);
    EXPECT_TRUE(untimed.Waiting());
    EXPECT_EQ(rig.log.lines, Lines{kLostLine});
    EXPECT_TRUE(untimed.EndWait());
    EXPECT_EQ(rig.log.lines.back(),
              "ComPort not reconnected: /dev/ttyUSB0; lost at 10:20:30.000, given up at 10:20:30.000, gap 0.000 s");
}

TEST(PortGap, TextsAndDurations) {
    struct Case {
        recording::LocalDateTime lost;
        recording::LocalDateTime back;
        std::string text;
    };
    const std::vector<Case> cases{
        {{2024, 6, 30, 10, 20, 30, 250}, {2024, 6, 30, 10, 20, 33, 500},
         "lost at 10:20:30.250, back at 10:20:33.500, gap 3.250 s"},
        // Across midnight at the end of a leap February.
        {{2024, 2, 29, 23, 59, 59, 999}, {2024, 3, 1, 0, 0, 1, 4}, "lost at 23:59:59.999, back at 00:00:01.004, gap 1.005 s"},
        // Across a new year, more than an hour.
        {{2023, 12, 31, 23, 0, 0, 0}, {2024, 1, 1, 0, 2, 5, 4}, "lost at 23:00:00.000, back at 00:02:05.004, gap 3725.004 s"},
        // The PC clock set back meanwhile.
        {{2024, 6, 30, 10, 20, 30, 0}, {2024, 6, 30, 10, 20, 29, 0}, "lost at 10:20:30.000, back at 10:20:29.000, gap 0.000 s"},
    };
    for (const Case& c : cases) EXPECT_EQ(PortGap(c.lost, c.back).text("back"), c.text);
    EXPECT_EQ(PortGap::epochMilliseconds({1970, 1, 1, 0, 0, 1, 5}), 1005);
    EXPECT_EQ(PortGap::epochMilliseconds({2000, 3, 1, 0, 0, 0, 0}), 951868800000LL);
}

}  // namespace
}  // namespace zuva::acquisition

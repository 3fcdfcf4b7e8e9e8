#include "acquisition/AcquisitionRun.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/CallJournal.h"
#include "fakes/FakeChartFeed.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDataFileSink.h"
#include "fakes/FakePort.h"
#include "fakes/FakePortPresence.h"
#include "fakes/FakeStatusPanels.h"
#include "fakes/FakeTimer.h"
#include "fakes/FakeVisualizationSwitch.h"
#include "fakes/RecordingLog.h"

namespace zuva::acquisition {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kNoResponse =
    "System does not respond. Please, make sure VEK-Unit is on and cable is connected to both PC "
    "COM-Port and VEK-Unit RS-232.";

class AcquisitionRunTest : public ::testing::Test {
protected:
    AcquisitionRunTest() {
        port.journal = &journal;
        chart.journal = &journal;
    }

    AcquisitionRun::Hooks hooks() {
        AcquisitionRun::Hooks h;
        h.applySamplingRate = [this] {
            journal.add("rate");
            log.addlogfile("Sampling rate: 64");
            acquisition.decoder().setAveraging(4);
            return 64;
        };
        h.takeOverSensitivity = [this] { journal.add("sensitivity"); };
        h.confirmRemark = [this] {
            journal.add("confirm");
            // The dialog is modal: the run waits, nothing is locked yet.
            gainBoxEnabledAtConfirm = controls.isEnabled(Control::GainBox);
        };
        h.setProgress = [this](int p) { journal.add("progress " + std::to_string(p)); };
        h.openPort = [this] {
            journal.add("open port");
            if (failOpen) throw std::runtime_error("Unable to open com port");
        };
        return h;
    }

    bool enabled(Control c) const { return controls.isEnabled(c); }

    fakes::CallJournal journal;
    fakes::FakePort port;
    fakes::FakeTimer timer;
    fakes::FakePortPresence presence;
    ControlStates controls;
    fakes::RecordingLog log;
    fakes::FakeClock clock;
    fakes::FakeDataFileSink dataFile;
    fakes::FakeChartFeed chart;
    fakes::FakeStatusPanels panels;
    fakes::FakeVisualizationSwitch visualization;
    Acquisition acquisition{{port, timer, presence, controls, log, clock, dataFile, chart, panels, visualization}};
    bool failOpen = false;
    bool gainBoxEnabledAtConfirm = false;
    AcquisitionRun run{acquisition, presence, controls, timer, log, hooks()};
};

TEST_F(AcquisitionRunTest, StartRunsItsStepsInOrderAndTurnsTransmissionOn) {
    run.Button1Click();

    EXPECT_EQ(presence.checks, 1);
    EXPECT_EQ(journal.calls,
              (Lines{"rate", "sensitivity", "confirm", "progress 0", "reset charts", "open port", "send 84"}));
    EXPECT_EQ(log.lines, (Lines{"Sampling rate: 64", "Config1= 10000100"}));
    EXPECT_EQ(port.sent, (Bytes{0x84}));
    EXPECT_EQ(run.RecordSize(), 64u * 12u + 4u);
    EXPECT_TRUE(acquisition.DataMode());
    EXPECT_EQ(acquisition.controlWord().SentGainCode(), 0);
    EXPECT_TRUE(timer.active);
    EXPECT_TRUE(gainBoxEnabledAtConfirm);

    // Running: only Stop stays usable.
    for (Control c : {Control::StartButton, Control::GpsButton, Control::GainBox, Control::FileMenu,
                      Control::RemarksMenu, Control::ComPortMenu, Control::RateBox, Control::ApplyButton,
                      Control::AutostartBox, Control::SensitivityField}) {
        EXPECT_FALSE(enabled(c)) << static_cast<int>(c);
    }
    EXPECT_TRUE(enabled(Control::StopButton));
}

TEST_F(AcquisitionRunTest, StartAfterGainAndCalibrationChangesSendsThem) {
    acquisition.controlWord().ComboBox3Change(3);  // gain 1000, idle: sent at once
    acquisition.controlWord().RxSpeedButton1Click();  // calibration on
    log.clear();
    port.sent.clear();

    run.Button1Click();

    EXPECT_EQ(log.lines.back(), "Config1= 10000011");
    EXPECT_EQ(port.sent, (Bytes{0x83}));
    EXPECT_EQ(acquisition.controlWord().SentGainCode(), 3);
}

TEST_F(AcquisitionRunTest, StartAndStopWithoutPortDoNothingBeyondTheButtons) {
    presence.selected = kNoPort;

    run.Button1Click();
    EXPECT_FALSE(enabled(Control::StartButton));
    EXPECT_FALSE(enabled(Control::GpsButton));
    EXPECT_TRUE(enabled(Control::GainBox));
    EXPECT_TRUE(journal.calls.empty());
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(timer.active);
    EXPECT_FALSE(acquisition.DataMode());

    run.Button2Click();
    EXPECT_TRUE(enabled(Control::StartButton));
    EXPECT_TRUE(enabled(Control::GpsButton));
    EXPECT_TRUE(port.sent.empty());
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(presence.checks, 2);
}

TEST_F(AcquisitionRunTest, StopUnlocksTheSettingsAndTurnsTransmissionOff) {
    run.Button1Click();
    journal.calls.clear();
    log.clear();

    run.Button2Click();

    EXPECT_EQ(journal.calls, (Lines{"open port", "send 04"}));
    EXPECT_EQ(log.lines, (Lines{"Stop = TEST.ZUV"}));
    EXPECT_EQ(port.sent, (Bytes{0x84, 0x04}));
    EXPECT_FALSE(acquisition.DataMode());
    for (int i = 0; i < static_cast<int>(kControlCount); ++i) {
        EXPECT_TRUE(enabled(static_cast<Control>(i))) << i;
    }
    // Stop leaves the timer alone: an instrument still silent is reported later.
    EXPECT_TRUE(timer.active);
}

TEST_F(AcquisitionRunTest, StopNamesTheCurrentDataFile) {
    run.Button1Click();
    dataFile.name = "/data/20240630102030.zuv";
    log.clear();
    run.Button2Click();
    EXPECT_EQ(log.lines, (Lines{"Stop = /data/20240630102030.zuv"}));
}

TEST_F(AcquisitionRunTest, GainPickedDuringRunWaitsAndStopSendsIt) {
    run.Button1Click();
    acquisition.controlWord().ComboBox3Change(2);  // gain 100, waits for the end of a second
    ASSERT_TRUE(acquisition.controlWord().PendingGainChange());
    ASSERT_EQ(port.sent, (Bytes{0x84}));

    run.Button2Click();

    // The byte that stops transmission carries the gain picked; the box is usable again.
    EXPECT_EQ(port.sent.back(), 0x06);
    EXPECT_EQ(acquisition.controlWord().SentGainCode(), 2);
    EXPECT_TRUE(enabled(Control::GainBox));
}

TEST_F(AcquisitionRunTest, RefusedPortOpenAtStartLeavesTheRunInactive) {
    failOpen = true;
    EXPECT_THROW(run.Button1Click(), std::runtime_error);
    EXPECT_FALSE(acquisition.DataMode());
    EXPECT_TRUE(port.sent.empty());
    // Stop brings every control back.
    failOpen = false;
    run.Button2Click();
    for (int i = 0; i < static_cast<int>(kControlCount); ++i) {
        EXPECT_TRUE(enabled(static_cast<Control>(i))) << i;
    }
}

TEST_F(AcquisitionRunTest, TimerAfterStartLogsOnceAndLeavesTheRunActive) {
    run.Button1Click();
    log.clear();

    run.Timer5Timer();

    EXPECT_EQ(log.lines, (Lines{kNoResponse}));
    EXPECT_FALSE(timer.active);
    EXPECT_TRUE(acquisition.DataMode());
    EXPECT_FALSE(enabled(Control::StartButton));
    EXPECT_FALSE(enabled(Control::GpsButton));
    EXPECT_TRUE(enabled(Control::StopButton));
    EXPECT_FALSE(enabled(Control::RateBox));
}

TEST_F(AcquisitionRunTest, TimerAfterGpsRequestGivesTheButtonsBack) {
    acquisition.controlWord().SpeedButton1Click();
    ASSERT_TRUE(acquisition.PositionRequestPending());
    ASSERT_EQ(port.sent, (Bytes{0x94}));
    ASSERT_FALSE(enabled(Control::StopButton));
    log.clear();

    run.Timer5Timer();

    EXPECT_EQ(log.lines, (Lines{kNoResponse}));
    EXPECT_TRUE(enabled(Control::StartButton));
    EXPECT_TRUE(enabled(Control::StopButton));
    EXPECT_TRUE(enabled(Control::GpsButton));
    EXPECT_TRUE(acquisition.PositionRequestPending());

    // A Start then drops the request and asks for DataFrames.
    run.Button1Click();
    EXPECT_FALSE(acquisition.PositionRequestPending());
    EXPECT_EQ(port.sent.back(), 0x84);
}

}  // namespace
}  // namespace zuva::acquisition

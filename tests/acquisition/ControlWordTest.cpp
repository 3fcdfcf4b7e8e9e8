#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "AcquisitionRig.h"

namespace zuva::acquisition::testing {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

TEST(ControlWord, ByteIsTheBinaryValueOfTheEightCharacters) {
    AcquisitionRig r;
    ControlWord& w = r.acq.controlWord();
    EXPECT_EQ(w.ControlBits(), "00000100");
    EXPECT_EQ(w.ControlByte(), 0x04);
    w.setCharacter(1, true);
    w.setCharacter(7, true);
    EXPECT_EQ(w.ControlBits(), "10000110");
    EXPECT_EQ(w.ControlByte(), 0x86);
    EXPECT_THROW(w.setCharacter(9, true), std::out_of_range);
}

TEST(ControlWord, GainBoxWithoutAcquisitionSendsAtOnce) {
    struct Case {
        int item;
        std::uint8_t byte;
        const char* text;
        std::uint16_t gain;
    };
    for (const Case c : {Case{0, 0x04, "1", 1}, Case{1, 0x05, "10", 10}, Case{2, 0x06, "100", 100},
                         Case{3, 0x07, "1000", 1000}}) {
        AcquisitionRig r;
        r.acq.controlWord().ComboBox3Change(c.item);
        EXPECT_EQ(r.port.sent, (Bytes{c.byte})) << c.text;
        EXPECT_EQ(r.log.lines, (Lines{std::string("Amplification: ") + c.text}));
        EXPECT_EQ(r.acq.controlWord().gain(), c.gain);
        EXPECT_EQ(r.acq.controlWord().SentGainCode(), c.item);
        EXPECT_TRUE(r.controls.isEnabled(Control::GainBox));
    }
}

TEST(ControlWord, GainBoxDuringAcquisitionWaitsForTheEndOfTheSecond) {
    AcquisitionRig r;
    r.start();
    r.acq.controlWord().ComboBox3Change(1);
    EXPECT_TRUE(r.port.sent.empty());
    EXPECT_TRUE(r.log.lines.empty());
    EXPECT_FALSE(r.controls.isEnabled(Control::GainBox));
    EXPECT_TRUE(r.acq.controlWord().PendingGainChange());
    EXPECT_EQ(r.acq.controlWord().gain(), 1);
    r.acq.controlWord().ApplyPendingGainChange();
    EXPECT_EQ(r.port.sent, (Bytes{0x85}));
    EXPECT_EQ(r.log.lines, (Lines{"Amplification: 10"}));
    EXPECT_EQ(r.acq.controlWord().gain(), 10);
    EXPECT_TRUE(r.controls.isEnabled(Control::GainBox));
    EXPECT_FALSE(r.acq.controlWord().PendingGainChange());
}

TEST(ControlWord, RefusedWriteOfAPendingGainKeepsTheOldGainAndTheChangeWaiting) {
    AcquisitionRig r;
    r.start();
    r.acq.controlWord().ComboBox3Change(2);
    r.port.failWrites = 1;
    EXPECT_THROW(r.acq.controlWord().ApplyPendingGainChange(), std::runtime_error);
    EXPECT_EQ(r.acq.controlWord().gain(), 1);
    EXPECT_TRUE(r.acq.controlWord().PendingGainChange());
    EXPECT_EQ(r.acq.controlWord().SentGainCode(), 0);
}

TEST(ControlWord, UnknownGainItemIsLoggedAndChangesNothing) {
    AcquisitionRig r;
    r.acq.controlWord().ComboBox3Change(4);
    EXPECT_EQ(r.log.lines, (Lines{"Amplification: no such gain choice (4)"}));
    EXPECT_TRUE(r.port.sent.empty());
    EXPECT_EQ(r.acq.controlWord().ControlBits(), "00000100");
}

TEST(ControlWord, CalibrationButtonTogglesCharacterSixAndCaption) {
    AcquisitionRig r;
    r.acq.controlWord().ComboBox3Change(2);  // gain 100
    r.start();
    ControlWord& w = r.acq.controlWord();
    EXPECT_EQ(w.calibrationCaption(), "OFF");
    w.RxSpeedButton1Click();
    EXPECT_EQ(w.calibrationCaption(), "ON");
    EXPECT_EQ(w.calibrationHint(), "Press to turn the calibration off");
    w.RxSpeedButton1Click();
    EXPECT_EQ(w.calibrationCaption(), "OFF");
    EXPECT_EQ(w.calibrationHint(), "Press to calibrate");
    EXPECT_EQ(r.port.sent, (Bytes{0x82, 0x86}));
    EXPECT_EQ(r.log.lines, (Lines{"Calibration: On", "Calibration: Off"}));
}

TEST(ControlWord, GpsButtonAsksForOnePositionFrame) {
    AcquisitionRig r;
    r.acq.controlWord().SpeedButton1Click();
    EXPECT_EQ(r.port.sent, (Bytes{0x94}));
    EXPECT_EQ(r.acq.controlWord().ControlBits(), "10010100");
    EXPECT_TRUE(r.acq.PositionRequestPending());
    EXPECT_TRUE(r.timer.active);
    EXPECT_EQ(r.panels.texts[4], "GPS");
    for (Control c : {Control::GpsButton, Control::StartButton, Control::StopButton}) {
        EXPECT_FALSE(r.controls.isEnabled(c));
    }
    // The answer arrives: transmission off, the position shown.
    r.deliver(encodePositionFrame({2024, 6, 30, 10, 20, 30}, 0, "5540.1234N", "03736.5678E", "150.0"));
    EXPECT_EQ(r.port.sent, (Bytes{0x94, 0x14}));
    EXPECT_FALSE(r.timer.active);
    EXPECT_EQ(r.log.lines, (Lines{"GPS: 03736.5678E 5540.1234N 150.0 (2024 06 30 10 20 30)"}));
    for (Control c : {Control::GpsButton, Control::StartButton, Control::StopButton}) {
        EXPECT_TRUE(r.controls.isEnabled(c));
    }
    // Start selects DataFrames again and turns transmission on.
    r.acq.PrepareRun();
    r.acq.StartTransmission();
    EXPECT_EQ(r.port.sent.back(), 0x84);
    EXPECT_EQ(r.log.lines.back(), "Config1= 10000100");
}

TEST(ControlWord, GpsButtonWithoutPortDoesNothing) {
    AcquisitionRig r;
    r.presence.portGone = true;
    r.acq.controlWord().SpeedButton1Click();
    EXPECT_EQ(r.presence.checks, 1);
    EXPECT_TRUE(r.port.sent.empty());
    EXPECT_FALSE(r.acq.PositionRequestPending());
    EXPECT_FALSE(r.timer.active);
    EXPECT_TRUE(r.controls.isEnabled(Control::GpsButton));
}

TEST(ControlWord, RefusedWriteFromAMenuHandlerReachesTheCaller) {
    AcquisitionRig r;
    r.port.failWrites = 1;
    EXPECT_THROW(r.acq.controlWord().ComboBox3Change(3), std::runtime_error);
    EXPECT_TRUE(r.log.lines.empty());
    EXPECT_EQ(r.acq.controlWord().gain(), 1);
}

TEST(ControlStates, ObserversHearOnlyRealChanges) {
    ControlStates states;
    std::vector<std::pair<Control, bool>> heard;
    const int id = states.addObserver([&](Control c, bool on) { heard.emplace_back(c, on); });
    states.setEnabled(Control::GainBox, true);  // already enabled
    states.setEnabled(Control::GainBox, false);
    states.setEnabled(Control::GainBox, false);
    states.removeObserver(id);
    states.setEnabled(Control::GainBox, true);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].first, Control::GainBox);
    EXPECT_FALSE(heard[0].second);
    EXPECT_TRUE(states.isEnabled(Control::GainBox));
}

}  // namespace
}  // namespace zuva::acquisition::testing

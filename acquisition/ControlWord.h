#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "acquisition/ControlStates.h"
#include "acquisition/NoResponseTimer.h"
#include "acquisition/PortIo.h"
#include "acquisition/PortPresence.h"
#include "acquisition/RunFlags.h"
#include "acquisition/StatusPanels.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// The instrument's control word: eight '0'/'1' characters, character 1 the most
// significant bit of the one byte the PC ever sends.
//   1 transmit, 4 PositionFrames instead of DataFrames, 6 calibration ('0' = on),
//   7-8 gain code ("00" 1, "01" 10, "10" 100, "11" 1000); 2, 3 and 5 stay '0'.
// Also the gain box, the calibration button and the GPS button that edit it.
class ControlWord {
public:
    static constexpr int kTransmit = 1;
    static constexpr int kPositionFrames = 4;
    static constexpr int kCalibration = 6;
    static constexpr std::array<const char*, 4> kGainTexts{"1", "10", "100", "1000"};
    static constexpr std::array<std::uint16_t, 4> kGains{1, 10, 100, 1000};

    ControlWord(PortIo& port, recording::LogSink& log, ControlStates& controls, NoResponseTimer& timer,
                PortPresence& presence, StatusPanels& panels, RunFlags& flags);

    const std::string& ControlBits() const { return bits_; }
    // The value of ControlBits: the sum of digit x weight, weights 128 .. 1.
    std::uint8_t ControlByte() const;
    // The gain code (bits 0-1) of the byte most recently sent.
    std::uint8_t SentGainCode() const { return sentGainCode_; }

    // Writes ControlByte to the port. A refused write is thrown to the caller and
    // leaves SentGainCode as it was.
    void SendControlByte();
    // Sets one character (1..8) to '0' or '1'; nothing is sent.
    void setCharacter(int position, bool one);
    bool character(int position) const;

    // Gain box: item 0..3 ("1", "10", "100", "1000"). Without acquisition the byte is
    // sent and the gain changes at once; during acquisition the box is disabled and
    // the change waits for the end of the current second.
    void ComboBox3Change(int itemIndex);
    bool PendingGainChange() const { return pendingGainChange_; }
    // Applies a waiting gain change (called at the end of a second): sends the byte,
    // takes the new gain, logs it and enables the box again. No effect when none waits.
    // A refused write is thrown and leaves the change waiting.
    void ApplyPendingGainChange();
    // The gain in force for converting counts to nT.
    std::uint16_t gain() const { return gain_; }
    // The gain box's selection and its text.
    int gainIndex() const { return gainIndex_; }
    std::string gainText() const { return kGainTexts[static_cast<std::size_t>(gainIndex_)]; }

    // Calibration button: toggles calibration, logs it and sends the byte.
    void RxSpeedButton1Click();
    bool calibrationOn() const { return !character(kCalibration); }
    // "ON" while calibrating, "OFF" otherwise, and the button's hint.
    std::string calibrationCaption() const { return calibrationOn() ? "ON" : "OFF"; }
    std::string calibrationHint() const {
        return calibrationOn() ? "Press to turn the calibration off" : "Press to calibrate";
    }

    // GPS button: asks the unit for one PositionFrame, when a port is available.
    void SpeedButton1Click();

private:
    PortIo& port_;
    recording::LogSink& log_;
    ControlStates& controls_;
    NoResponseTimer& timer_;
    PortPresence& presence_;
    StatusPanels& panels_;
    RunFlags& flags_;

    std::string bits_ = "00000100";
    std::uint8_t sentGainCode_ = 0;
    std::uint16_t gain_ = 1;
    int gainIndex_ = 0;
    bool pendingGainChange_ = false;
};

}  // namespace zuva::acquisition

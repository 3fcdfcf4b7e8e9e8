#include "acquisition/ControlWord.h"

#include <stdexcept>

namespace zuva::acquisition {

ControlWord::ControlWord(PortIo& port, recording::LogSink& log, ControlStates& controls, NoResponseTimer& timer,
                         PortPresence& presence, StatusPanels& panels, RunFlags& flags)
    : port_(port), log_(log), controls_(controls), timer_(timer), presence_(presence), panels_(panels), flags_(flags) {}

std::uint8_t ControlWord::ControlByte() const {
    unsigned value = 0;
    for (const char c : bits_) value = value << 1 | (c == '1' ? 1u : 0u);
    return static_cast<std::uint8_t>(value & 0xFF);
}

void ControlWord::SendControlByte() {
    const std::uint8_t byte = ControlByte();
    port_.WriteByte(byte);
    sentGainCode_ = byte & 0x03;
}

void ControlWord::setCharacter(int position, bool one) {
    if (position < 1 || position > 8) throw std::out_of_range("control word character " + std::to_string(position));
    bits_[static_cast<std::size_t>(position - 1)] = one ? '1' : '0';
}

bool ControlWord::character(int position) const {
    if (position < 1 || position > 8) throw std::out_of_range("control word character " + std::to_string(position));
    return bits_[static_cast<std::size_t>(position - 1)] == '1';
}

void ControlWord::ComboBox3Change(int itemIndex) {
    if (itemIndex < 0 || itemIndex >= static_cast<int>(kGains.size())) {
        log_.addlogfile("Amplification: no such gain choice (" + std::to_string(itemIndex) + ")");
        return;
    }
    gainIndex_ = itemIndex;
    setCharacter(7, (itemIndex & 0x02) != 0);
    setCharacter(8, (itemIndex & 0x01) != 0);
    if (!flags_.dataMode) {
        SendControlByte();
        log_.addlogfile("Amplification: " + gainText());
        gain_ = kGains[static_cast<std::size_t>(itemIndex)];
    } else {
        controls_.setEnabled(Control::GainBox, false);
        pendingGainChange_ = true;
    }
}

void ControlWord::ApplyPendingGainChange() {
    if (!pendingGainChange_) return;
    // The byte goes out first: while the unit has not been told, the old gain stays
    // in force and the change keeps waiting.
    SendControlByte();
    gain_ = kGains[static_cast<std::size_t>(gainIndex_)];
    log_.addlogfile("Amplification: " + gainText());
    controls_.setEnabled(Control::GainBox, true);
    pendingGainChange_ = false;
}

void ControlWord::RxSpeedButton1Click() {
    if (!calibrationOn()) {
        setCharacter(kCalibration, false);
        log_.addlogfile("Calibration: On");
    } else {
        setCharacter(kCalibration, true);
        log_.addlogfile("Calibration: Off");
    }
    SendControlByte();
}

void ControlWord::SpeedButton1Click() {
    presence_.CheckComPort();
    if (presence_.SelectedPort() == kNoPort) return;
    timer_.start();
    controls_.setEnabled(Control::GpsButton, false);
    controls_.setEnabled(Control::StartButton, false);
    controls_.setEnabled(Control::StopButton, false);
    panels_.setPanelText(StatusPanels::kGps, "GPS");
    flags_.positionRequestPending = true;
    setCharacter(kPositionFrames, true);
    setCharacter(kTransmit, true);
    SendControlByte();
}

}  // namespace zuva::acquisition

#include "acquisition/AcquisitionRun.h"

#include <utility>

namespace zuva::acquisition {

AcquisitionRun::AcquisitionRun(Acquisition& acquisition, PortPresence& presence, ControlStates& controls,
                               NoResponseTimer& timer, recording::LogSink& log, Hooks hooks)
    : acquisition_(acquisition),
      presence_(presence),
      controls_(controls),
      timer_(timer),
      log_(log),
      hooks_(std::move(hooks)) {}

void AcquisitionRun::Button1Click() {
    presence_.CheckComPort();
    controls_.setEnabled(Control::StartButton, false);
    controls_.setEnabled(Control::GpsButton, false);
    if (presence_.SelectedPort() == kNoPort) return;  // Stop enables the buttons again

    const int rate = hooks_.applySamplingRate ? hooks_.applySamplingRate() : 256 / acquisition_.decoder().Averaging();
    recordSize_ = static_cast<std::uint32_t>(rate) * 12u + 4u;
    acquisition_.decoder().clearHeaderWritten();
    if (hooks_.takeOverSensitivity) hooks_.takeOverSensitivity();
    if (hooks_.confirmRemark) hooks_.confirmRemark();
    controls_.setEnabled(Control::GainBox, false);
    if (hooks_.setProgress) hooks_.setProgress(0);
    // Group sums, position request, GPS state, dates and hours, charts, the timer,
    // the locked menus and Options controls, frame sync and DataFrames.
    acquisition_.PrepareRun();
    if (hooks_.openPort) hooks_.openPort();
    acquisition_.StartTransmission();
}

void AcquisitionRun::Button2Click() {
    const bool portAway = hooks_.endPortWait && hooks_.endPortWait();
    presence_.CheckComPort();
    controls_.setEnabled(Control::StartButton, true);
    controls_.setEnabled(Control::GpsButton, true);
    const bool present = presence_.SelectedPort() != kNoPort;
    // A run whose port vanished is ended all the same, or its locked controls
    // (the ComPort menu among them) could never be used again.
    if (!present && !portAway) return;

    acquisition_.EndRun();
    if (!present) {
        acquisition_.StopTransmissionWithoutPort();
        return;
    }
    if (hooks_.openPort) hooks_.openPort();
    acquisition_.StopTransmission();
}

void AcquisitionRun::EndPortWait() {
    if (hooks_.endPortWait) hooks_.endPortWait();
}

void AcquisitionRun::Timer5Timer() {
    timer_.stop();
    log_.addlogfile(kNoResponseLine);
    if (acquisition_.PositionRequestPending()) {
        controls_.setEnabled(Control::GpsButton, true);
        controls_.setEnabled(Control::StartButton, true);
        controls_.setEnabled(Control::StopButton, true);
    }
}

}  // namespace zuva::acquisition

#pragma once

#include <cstdint>
#include <functional>

#include "acquisition/Acquisition.h"

namespace zuva::acquisition {

// The recording run: Start (Button1Click), Stop (Button2Click) and the 5-second
// no-response timer's expiry (Timer5Timer), on top of the acquisition core.
// What lives in the dialogs and windows (the Options rate handler and sensitivity
// field, the Confirm dialog, the progress bar, the port's baud rate and opening)
// is reached through the hooks, so the window and the headless program share it.
class AcquisitionRun {
public:
    static constexpr const char* kNoResponseLine =
        "System does not respond. Please, make sure VEK-Unit is on and cable is connected to "
        "both PC COM-Port and VEK-Unit RS-232.";

    struct Hooks {
        // The Options dialog's sampling-rate handler: sets Averaging and the group
        // count (through the decoder) and logs "Sampling rate: " + rate. Returns the
        // sampling rate in Hz (1..256).
        std::function<int()> applySamplingRate;
        // Edit1Change: Sensitivity read again from the Options dialog's field.
        std::function<void()> takeOverSensitivity;
        // Shows the remark in the Confirm dialog, modally, when one is set; returns
        // when the dialog has closed. Headless: no remark, nothing to show.
        std::function<void()> confirmRemark;
        // The progress bar's position.
        std::function<void(int)> setProgress;
        // Baud rate 115200 and OpenPort (nothing when already open). Errors are thrown.
        std::function<void()> openPort;
        // Ends the wait for a port that vanished during the run (no more tries to
        // reopen it); true when the run was waiting. May be empty.
        std::function<bool()> endPortWait;
    };

    AcquisitionRun(Acquisition& acquisition, PortPresence& presence, ControlStates& controls,
                   NoResponseTimer& timer, recording::LogSink& log, Hooks hooks);

    // Start. Port errors are thrown to the caller (the run is then not active).
    void Button1Click();
    // Stop. Port errors are thrown to the caller; the controls are unlocked first.
    // While the run waits for its vanished port, Stop ends the wait; when the port
    // is not present then, the run still ends (controls unlocked, "Stop = " logged,
    // transmission off in the control word) without anything being sent.
    void Button2Click();
    // Shut-down: ends a wait for a vanished port, if there is one.
    void EndPortWait();
    // The no-response timer has run out.
    void Timer5Timer();

    // Bytes of one data-file record at the rate of the last Start: rate x 12 + 4.
    std::uint32_t RecordSize() const { return recordSize_; }

private:
    Acquisition& acquisition_;
    PortPresence& presence_;
    ControlStates& controls_;
    NoResponseTimer& timer_;
    recording::LogSink& log_;
    Hooks hooks_;
    std::uint32_t recordSize_ = 0;
};

}  // namespace zuva::acquisition

#include "app/ProgramLifecycle.h"

#include <exception>
#include <utility>

#include "settings/ComPortSetting.h"
#include "settings/GainSetting.h"
#include "settings/ShutdownSettingsWriter.h"

namespace zuva::app {

ProgramLifecycle::ProgramLifecycle(Services services) : s_(std::move(services)) {}

void ProgramLifecycle::report(const std::string& message) {
    if (s_.reportError) s_.reportError(message);
}

void ProgramLifecycle::startUp() {
    // Main window creation. The acquisition core was built in its initial state
    // (control word "00000100", gain 1, no run, no position texts).
    if (s_.raisePriority) s_.raisePriority();
    s_.log.addlogfile("Program is starting up.");
    s_.timer.stop();
    try {
        s_.port.DetectComPort(
            settings::ComPortSetting::load(s_.settings), [this] { readGain(); },
            [this] { s_.acquisition.controlWord().ComboBox3Change(gainIndex_); });
    } catch (const std::exception& e) {
        report(e.what());
    }

    // Output-directory dialog creation.
    if (s_.currentDirectory.empty()) {
        s_.outputDirectory.FormCreate(s_.settings);
    } else {
        s_.outputDirectory.FormCreate(s_.settings, s_.currentDirectory);
    }
    if (s_.outputDirectoryChosen) s_.outputDirectoryChosen(s_.outputDirectory.fieldText());

    // Options dialog creation, then the automatic Start or GPS request.
    s_.options.FormCreate();
    if (s_.port.SelectedPort() == acquisition::kNoPort) return;
    try {
        if (s_.options.autostart()) {
            s_.run.Button1Click();
        } else {
            s_.acquisition.controlWord().SpeedButton1Click();
        }
    } catch (const std::exception& e) {
        report(e.what());
    }
}

void ProgramLifecycle::readGain() {
    const auto reading = settings::GainSetting::load(s_.settings, s_.log);
    // Text that is no integer is reported; gain 1 is taken like any other unusable
    // value, and start-up goes on to open the port.
    gainIndex_ = reading.index;
    if (reading.conversionError) report(*reading.conversionError);
}

void ProgramLifecycle::GainBoxChange(int index) {
    if (index < 0 || index >= settings::GainSetting::kGainCount) return;
    gainIndex_ = index;
    if (s_.port.SelectedPort() != acquisition::kNoPort) s_.acquisition.controlWord().ComboBox3Change(index);
}

void ProgramLifecycle::shutDown() {
    // No more tries to reopen a port that vanished during the run.
    try {
        s_.run.EndPortWait();
    } catch (const std::exception& e) {
        report(e.what());
    }
    try {
        s_.port.CheckComPort();
    } catch (const std::exception& e) {
        // The port list cannot be read: the port stays as it was and closing goes on.
        report(e.what());
    }

    settings::ShutdownSettings values;
    values.sensitivity = s_.acquisition.decoder().Sensitivity();
    values.samplingRateIndex = s_.options.samplingRateIndex();
    values.outputDirectory = s_.outputDirectory.fieldText();
    values.comPort = s_.port.SelectedPort();
    values.gainIndex = gainIndex_;
    values.autostart = s_.options.autostart();
    try {
        const auto failures = settings::ShutdownSettingsWriter(s_.settings, s_.decimalSeparator).write(values);
        for (const auto& failure : failures) {
            s_.log.addlogfile("Error: " + failure.message);
            report(failure.message);
        }
    } catch (const std::exception& e) {
        s_.log.addlogfile(std::string("Error: ") + e.what());
        report(e.what());
    }

    if (s_.sleep) s_.sleep(kShutdownPause);
    if (s_.port.SelectedPort() != acquisition::kNoPort) {
        stopInstrument();
        try {
            s_.port.ClosePort();
        } catch (const std::exception& e) {
            report(e.what());
        }
    }
    if (s_.sleep) s_.sleep(kShutdownPause);
    s_.log.addlogfile("Exit program");
}

void ProgramLifecycle::stopInstrument() {
    try {
        s_.run.Button2Click();
        return;
    } catch (const std::exception& e) {
        report(e.what());
    }
    // Stop did not get its command out (its presence check or the port failed):
    // try once more without the check, so the instrument is not left transmitting.
    if (!s_.acquisition.controlWord().character(acquisition::ControlWord::kTransmit)) return;
    try {
        s_.acquisition.EndRun();
        s_.port.OpenPort();
        s_.acquisition.StopTransmission();
    } catch (const std::exception& e) {
        report(e.what());
    }
}

}  // namespace zuva::app

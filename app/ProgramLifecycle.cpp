#include "app/ProgramLifecycle.h"

#include <exception>
#include <filesystem>
#include <system_error>
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
    const std::string storedPort = settings::ComPortSetting::load(s_.settings);
    try {
        s_.port.DetectComPort(
            storedPort, [this] { readGain(); }, [this] { s_.acquisition.controlWord().ComboBox3Change(gainIndex_); });
    } catch (const std::exception& e) {
        report(e.what());
    }
    if (s_.waitForStation && s_.port.SelectedPort() == acquisition::kNoPort && !storedPort.empty() &&
        storedPort != acquisition::kNoPort) {
        waitingForPort_ = true;
        awaitedPort_ = storedPort;
        s_.log.addlogfile("Waiting for ComPort: " + storedPort + " (looked for again every second)");
    }

    // Output-directory dialog creation. A stored directory that is missing (a data
    // disk not mounted) is said so; unattended it is waited for, never silently
    // replaced by the current directory.
    if (s_.currentDirectory.empty()) {
        s_.outputDirectory.FormCreate(s_.settings);
    } else {
        s_.outputDirectory.FormCreate(s_.settings, s_.currentDirectory);
    }
    const std::string missing = s_.outputDirectory.missingStored();
    if (!missing.empty() && s_.waitForStation) {
        waitingForDirectory_ = true;
        s_.log.addlogfile("Output directory not found: " + missing + "; waiting for it");
        if (s_.outputDirectoryChosen) s_.outputDirectoryChosen(missing);
    } else {
        if (!missing.empty()) {
            s_.log.addlogfile("Output directory not found: " + missing + "; data files go to " +
                              s_.outputDirectory.fieldText() + " until another is chosen");
        }
        if (s_.outputDirectoryChosen) s_.outputDirectoryChosen(s_.outputDirectory.fieldText());
    }

    // Options dialog creation, then the automatic Start or GPS request.
    s_.options.FormCreate();
    if (s_.afterOptionsCreated) s_.afterOptionsCreated();
    if (waitingForStation()) return;
    finishStartUp();
}

bool ProgramLifecycle::directoryExists(const std::string& path) const {
    if (s_.directoryExists) return s_.directoryExists(path);
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

void ProgramLifecycle::retryStation() {
    if (!waitingForStation()) return;
    if (waitingForDirectory_) {
        const std::string missing = s_.outputDirectory.missingStored();
        if (missing.empty() || directoryExists(missing)) {
            waitingForDirectory_ = false;
            s_.outputDirectory.adoptStored();
            s_.log.addlogfile("Output directory found: " + s_.outputDirectory.fieldText());
            if (s_.outputDirectoryChosen) s_.outputDirectoryChosen(s_.outputDirectory.fieldText());
        }
    }
    if (waitingForPort_) {
        bool present = false;
        try {
            present = s_.port.PortPresent(awaitedPort_);
            listFailing_ = false;
        } catch (const std::exception& e) {
            if (!listFailing_) s_.log.addlogfile(std::string("Error: port list not read: ") + e.what());
            listFailing_ = true;
        }
        if (present) {
            try {
                if (!openFailing_) {
                    s_.port.DetectComPort(awaitedPort_, {},
                                          [this] { s_.acquisition.controlWord().ComboBox3Change(gainIndex_); });
                } else {
                    // Detected already; only the opening (and the gain after it) failed.
                    s_.port.OpenPort();
                    s_.log.addlogfile("ComPort opened: " + awaitedPort_);
                    s_.acquisition.controlWord().ComboBox3Change(gainIndex_);
                }
                if (s_.port.SelectedPort() != acquisition::kNoPort) {
                    waitingForPort_ = false;
                    openFailing_ = false;
                }
            } catch (const std::exception& e) {
                // Not opened (busy, no permission): said once, tried again every second.
                if (!openFailing_) s_.log.addlogfile("Error: ComPort not opened: " + awaitedPort_ + ": " + e.what());
                openFailing_ = true;
            }
        }
    }
    if (!waitingForStation()) finishStartUp();
}

bool ProgramLifecycle::waitForConfiguredPort() {
    if (waitingForPort_) return true;
    const std::string configured = s_.port.ConfiguredPort();
    if (s_.port.SelectedPort() != acquisition::kNoPort || configured.empty() || configured == acquisition::kNoPort) {
        return false;
    }
    waitingForPort_ = true;
    awaitedPort_ = configured;
    s_.log.addlogfile("Waiting for ComPort: " + configured + " (looked for again every second)");
    return true;
}

void ProgramLifecycle::finishStartUp() {
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
    // No more waiting for the station's port or disk.
    waitingForPort_ = false;
    waitingForDirectory_ = false;
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
    // A port or a directory that is missing for a while keeps its setting.
    values.outputDirectory = s_.outputDirectory.settingText();
    values.comPort = s_.port.SelectedPort();
    if (values.comPort == acquisition::kNoPort) {
        const std::string configured = s_.port.ConfiguredPort();
        if (!configured.empty()) values.comPort = configured;
    }
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

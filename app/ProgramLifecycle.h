#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "acquisition/Acquisition.h"
#include "acquisition/AcquisitionRun.h"
#include "app/PortSteps.h"
#include "recording/LogSink.h"
#include "settings/OptionsModel.h"
#include "settings/OutputDirectoryModel.h"
#include "settings/SettingsFile.h"

namespace zuva::app {

// The program's start-up and shut-down sequences, shared by the main window and the
// headless recorder: what the main window's, the output-directory dialog's and the
// Options dialog's creation do, and what closing the main window does.
//
// Unlike a plain chain of creation handlers, one failing step never costs the
// instrument its stop command, the port its closing or the log its last line:
// every failure is reported through reportError and the sequence goes on.
class ProgramLifecycle {
public:
    static constexpr std::chrono::milliseconds kShutdownPause{200};

    struct Services {
        settings::SettingsFile& settings;
        recording::LogSink& log;
        acquisition::Acquisition& acquisition;
        acquisition::AcquisitionRun& run;
        acquisition::NoResponseTimer& timer;
        settings::OptionsModel& options;
        settings::OutputDirectoryModel& outputDirectory;
        PortSteps& port;
        char decimalSeparator = '.';
        // Waits; tests record the pauses instead.
        std::function<void(std::chrono::milliseconds)> sleep{};
        // Raises the process's scheduling priority where the system allows it.
        std::function<void()> raisePriority{};
        // Shows an error to the user (message box, or standard error when headless).
        std::function<void(const std::string&)> reportError{};
        // The output directory in force changed (handed to the data file writer).
        std::function<void(const std::string&)> outputDirectoryChosen{};
        // The process's current directory for the output-directory default; empty:
        // asked of the system.
        std::string currentDirectory{};
        // Unattended (headless): a stored port or output directory that is missing at
        // start-up is waited for (retryStation) instead of being given up; the
        // automatic Start or GPS request runs once both are there.
        bool waitForStation = false;
        // Runs after the Options dialog's creation, before the automatic Start.
        std::function<void()> afterOptionsCreated{};
        // Whether a directory exists now; empty: asked of the file system.
        std::function<bool(const std::string&)> directoryExists{};
    };

    explicit ProgramLifecycle(Services services);

    // Everything from "Program is starting up." to the automatic Start or GPS request.
    void startUp();
    // Closing the main window: the end of a wait for a vanished port, the presence
    // check, the six settings, the Stop and the port's closing when a port is in
    // use, "Exit program". Never throws.
    void shutDown();

    // Unattended start-up waits for its stored port or output directory.
    bool waitingForStation() const { return waitingForPort_ || waitingForDirectory_; }
    bool waitingForPort() const { return waitingForPort_; }
    bool waitingForDirectory() const { return waitingForDirectory_; }
    // One try, about once a second while waitingForStation(): a directory that has
    // appeared is taken ("Output directory found: "), a port that is listed again is
    // detected, opened and given its gain as at start-up; once both are there the
    // rest of the start-up (automatic Start or GPS request) runs. Never throws.
    void retryStation();
    // The window's offer: when start-up found no port but the settings name one, wait
    // for it as the unattended start-up does (retryStation then picks it up and runs
    // the automatic Start or GPS request). Returns false when there is nothing to wait
    // for (a port is in use, or none is named).
    bool waitForConfiguredPort();

    // The gain list's change (ComboBox3Change) as the window's gain box runs it: the
    // selection is kept for shut-down; the control word applies it (sends the byte)
    // when a port is in use.
    void GainBoxChange(int index);
    // The gain list's selection, 0..3.
    int gainIndex() const { return gainIndex_; }

private:
    void report(const std::string& message);
    void readGain();
    void stopInstrument();
    void finishStartUp();
    bool directoryExists(const std::string& path) const;

    Services s_;
    int gainIndex_ = 0;
    bool waitingForPort_ = false;
    bool waitingForDirectory_ = false;
    std::string awaitedPort_;
    bool listFailing_ = false;
    bool openFailing_ = false;
};

}  // namespace zuva::app

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "acquisition/Acquisition.h"
#include "acquisition/AcquisitionRun.h"
#include "acquisition/ChartFeed.h"
#include "acquisition/ControlStates.h"
#include "acquisition/NoResponseTimer.h"
#include "acquisition/PortReconnect.h"
#include "acquisition/SecondFanOut.h"
#include "acquisition/RetryTimer.h"
#include "acquisition/StatusPanels.h"
#include "acquisition/VisualizationSwitch.h"
#include "app/ProgramLifecycle.h"
#include "app/SerialPortLink.h"
#include "app/StationPublishing.h"
#include "products/IagaProducts.h"
#include "recording/DataFileWriter.h"
#include "recording/EventLog.h"
#include "recording/PosixFileSystem.h"
#include "recording/LocaleFormats.h"
#include "recording/SystemClock.h"
#include "serial/Dispatcher.h"
#include "settings/OptionsModel.h"
#include "settings/OutputDirectoryModel.h"
#include "settings/RemarksText.h"
#include "settings/SettingsFile.h"

namespace zuva::app {

// Every core object of the program, wired together: the event log, the settings
// file, the serial port, the acquisition with its run, the data file writer and the
// Options, output-directory and remarks state, with the start-up and shut-down
// sequences over them. The main window and the headless recorder each own one and
// give it what they show (charts, status bar, dialogs) and their event loop's
// dispatcher and timer.
class ProgramCore {
public:
    struct Frontend {
        serial::Dispatcher& dispatcher;
        acquisition::NoResponseTimer& timer;
        acquisition::ChartFeed& chart;
        acquisition::StatusPanels& panels;
        acquisition::VisualizationSwitch& visualization;
        // Shows an error to the user.
        std::function<void(const std::string&)> reportError{};
        // Start's Confirm dialog, shown modally when a remark is set; may be empty.
        std::function<void()> confirmRemark{};
        // The progress bar; may be empty.
        std::function<void(int)> setProgress{};
        // PointsOnScreen for the charts; may be empty.
        std::function<void(std::int32_t)> pointsOnScreenChanged{};
        // The Options and output-directory dialogs' contents changed; may be empty.
        std::function<void()> optionsChanged{};
        std::function<void()> outputDirectoryChanged{};
        // The port dialog of the "&ComPort" menu item; may be null.
        serial::PortChooser* portChooser = nullptr;
        // The timer of the tries to reopen a port that vanished during a run; its
        // expiry calls RetryTimerTimer. May be null: the loss is then logged and the
        // run waits for Stop.
        acquisition::RetryTimer* retryTimer = nullptr;
        // Unattended (headless): a stored port or output directory missing at
        // start-up is waited for (ProgramLifecycle::retryStation).
        bool unattended = false;
        // Runs after the Options dialog's creation, before the automatic Start (the
        // headless options set the rotation and the remark here); may be empty.
        std::function<void()> afterOptionsCreated{};
    };

    // settingsPath: the settings file to use ("zuva.ini" beside the program unless
    // given on the command line).
    ProgramCore(const Frontend& frontend, const std::string& settingsPath);
    ProgramCore(const ProgramCore&) = delete;
    ProgramCore& operator=(const ProgramCore&) = delete;

    void startUp() { lifecycle_.startUp(); }
    void shutDown() { lifecycle_.shutDown(); }

    // The no-response timer's expiry, for the frontend's timer to call.
    void Timer5Timer() { run_.Timer5Timer(); }
    // The retry timer's expiry, for the frontend's retry timer to call.
    void RetryTimerTimer() { reconnect_.RetryTimerTimer(); }

    recording::EventLog& eventLog() { return eventLog_; }
    settings::SettingsFile& settingsFile() { return settings_; }
    SerialPortLink& port() { return port_; }
    acquisition::ControlStates& controls() { return controls_; }
    recording::DataFileWriter& dataFile() { return dataFile_; }
    // Every completed second, after the data file: consumers add themselves here.
    acquisition::SecondFanOut& seconds() { return seconds_; }
    acquisition::Acquisition& acquisition() { return acquisition_; }
    // The IAGA-2002 values and day files; consumers of the values add themselves to its chain.
    products::IagaProducts& dataProducts() { return dataProducts_; }
    // MQTT publishing; null when the settings name no broker. The frontend's timer calls tick().
    StationPublishing* publishing() { return publishing_.get(); }
    acquisition::AcquisitionRun& run() { return run_; }
    acquisition::PortReconnect& reconnect() { return reconnect_; }
    settings::OptionsModel& options() { return options_; }
    settings::OutputDirectoryModel& outputDirectory() { return outputDirectory_; }
    settings::RemarksText& remarks() { return remarks_; }
    ProgramLifecycle& lifecycle() { return lifecycle_; }

private:
    settings::OptionsHooks optionsHooks(const Frontend& frontend);
    acquisition::AcquisitionRun::Hooks runHooks(const Frontend& frontend);
    ProgramLifecycle::Services lifecycleServices(const Frontend& frontend);
    network::StationStatus stationStatus();

    recording::LocaleFormats formats_;
    recording::SystemClock clock_;
    recording::EventLog eventLog_;
    settings::SettingsFile settings_;
    SerialPortLink port_;
    acquisition::ControlStates controls_;
    recording::DataFileWriter dataFile_;
    acquisition::SecondFanOut seconds_;
    acquisition::Acquisition acquisition_;
    recording::PosixFileSystem productsFileSystem_;
    products::IagaProducts dataProducts_;
    settings::RemarksText remarks_;
    settings::OptionsModel options_;
    settings::OutputDirectoryModel outputDirectory_;
    acquisition::PortReconnect reconnect_;
    acquisition::AcquisitionRun run_;
    ProgramLifecycle lifecycle_;
    std::unique_ptr<StationPublishing> publishing_;
};

}  // namespace zuva::app

#include "app/ProgramCore.h"

#include <sys/resource.h>

#include <string>
#include <thread>

namespace zuva::app {

namespace {

// Raises the scheduling priority as far as nice -10 where the system allows it; a
// refusal (no privilege) leaves it as it was.
void raiseProcessPriority() {
    for (int nice = -10; nice < 0; ++nice) {
        if (::setpriority(PRIO_PROCESS, 0, nice) == 0) return;
    }
}

// The section "Station", each value it cannot take logged.
settings::StationSettings readStation(const settings::SettingsFile& file, recording::LogSink& log) {
    std::vector<std::string> problems;
    settings::StationSettings station = settings::StationSettings::read(file, problems);
    for (const std::string& p : problems) log.addlogfile(p);
    return station;
}

}  // namespace

ProgramCore::ProgramCore(const Frontend& frontend, const std::string& settingsPath)
    : formats_(recording::systemLocaleFormats()),
      eventLog_(clock_, formats_),
      settings_(settingsPath),
      port_(frontend.dispatcher, eventLog_, frontend.portChooser),
      dataFile_(eventLog_),
      seconds_(eventLog_),
      acquisition_({port_, frontend.timer, port_, controls_, eventLog_, clock_, dataFile_, frontend.chart,
                    frontend.panels, frontend.visualization}),
      dataProducts_({productsFileSystem_, eventLog_,
                     [this] {
                         const auto& d = acquisition_.decoder();
                         return products::PositionTexts{d.latitude(), d.longitude(), d.altitude()};
                     }},
                    readStation(settings_, eventLog_)),
      options_(settings_, eventLog_, formats_.decimalSeparator, optionsHooks(frontend)),
      outputDirectory_(eventLog_,
                       [this, changed = frontend.outputDirectoryChanged] {
                           dataFile_.setOutputDirectory(outputDirectory_.fieldText());
                           dataProducts_.setOutputDirectory(outputDirectory_.fieldText());
                           if (changed) changed();
                       }),
      reconnect_(acquisition_, port_, frontend.retryTimer, frontend.timer, eventLog_, clock_),
      run_(acquisition_, port_, controls_, frontend.timer, eventLog_, runHooks(frontend)),
      lifecycle_(lifecycleServices(frontend)) {
    acquisition_.decoder().setSecondListener(&seconds_);
    if (auto* listener = dataProducts_.listener()) seconds_.add(*listener, "IAGA-2002 values");
    publishing_ = StationPublishing::fromSettings(
        {settings_, eventLog_, dataProducts_.chain(), seconds_, [this] { return stationStatus(); }});
    port_.port().OnRxChar = [this](serial::TComPort&, int count) { acquisition_.ComPort1RxChar(count); };
    port_.port().OnDeviceLost = [this](serial::TComPort&, int systemCode) { reconnect_.PortLost(systemCode); };
    // Start and Stop switch the Options dialog's rate, sensitivity, "Apply" and
    // automatic-start controls together.
    controls_.addObserver([this](acquisition::Control control, bool enabled) {
        if (control == acquisition::Control::RateBox) options_.setRunControlsEnabled(enabled);
    });
}

network::StationStatus ProgramCore::stationStatus() {
    network::StationStatus s;
    s.recording = acquisition_.DataMode();
    s.dataFile = dataFile_.DataFileName();
    s.backlogSeconds = dataFile_.backlogSeconds();
    s.port = port_.PortName() + (port_.port().Connected() ? " open" : " closed");
    const auto& counters = acquisition_.counters();
    s.secondsRecorded = counters.secondsRecorded;
    s.secondsLost = counters.secondsLost;
    s.samplesFilled = counters.samplesFilled;
    s.frameErrors = counters.frameErrors;
    return s;
}

settings::OptionsHooks ProgramCore::optionsHooks(const Frontend& frontend) {
    settings::OptionsHooks hooks;
    hooks.sensitivityChanged = [this](double sensitivity) { acquisition_.decoder().setSensitivity(sensitivity); };
    hooks.averagingChanged = [this](std::uint16_t averaging, std::uint8_t) {
        acquisition_.decoder().setAveraging(averaging);
    };
    hooks.pointsOnScreenChanged = frontend.pointsOnScreenChanged;
    // The Options dialog logs the choice; the decoder only follows it.
    hooks.followCurrentHour = [this] { acquisition_.decoder().followEveryHour(); };
    hooks.followMidnight = [this] { acquisition_.decoder().followEveryMidnight(); };
    hooks.changed = frontend.optionsChanged;
    acquisition::ChartFeed* chart = &frontend.chart;
    hooks.resetChartSeries = [chart] { chart->ResetAxisAndSeries(); };
    return hooks;
}

acquisition::AcquisitionRun::Hooks ProgramCore::runHooks(const Frontend& frontend) {
    acquisition::AcquisitionRun::Hooks hooks;
    hooks.applySamplingRate = [this] {
        options_.ComboBox2Change();
        return std::stoi(std::string(options_.samplingRateText()));
    };
    hooks.takeOverSensitivity = [this] { options_.Edit1Change(); };
    hooks.confirmRemark = [this, confirm = frontend.confirmRemark] {
        if (!remarks_.empty() && confirm) confirm();
        // The header of the run's first file carries the remark as confirmed.
        dataFile_.setRemarksText(remarks_.text());
    };
    hooks.setProgress = frontend.setProgress;
    hooks.openPort = [this] { port_.OpenPort(); };
    hooks.endPortWait = [this] { return reconnect_.EndWait(); };
    return hooks;
}

ProgramLifecycle::Services ProgramCore::lifecycleServices(const Frontend& frontend) {
    ProgramLifecycle::Services services{settings_, eventLog_, acquisition_, run_, frontend.timer,
                                        options_,  outputDirectory_, port_};
    services.decimalSeparator = formats_.decimalSeparator;
    services.sleep = [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); };
    services.raisePriority = raiseProcessPriority;
    services.reportError = frontend.reportError;
    services.waitForStation = frontend.unattended;
    services.afterOptionsCreated = frontend.afterOptionsCreated;
    services.outputDirectoryChosen = [this](const std::string& directory) { dataFile_.setOutputDirectory(directory); };
    return services;
}

}  // namespace zuva::app

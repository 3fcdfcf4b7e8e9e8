#include "app/HeadlessStation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace zuva::app {

HeadlessStation::HeadlessStation(ProgramCore& core, HeadlessPanels& panels)
    : core_(core),
      panels_(panels),
      journal_(stderr),
      health_(core),
      lastSecond_(gate_),
      heartbeat_(notifier_, gate_) {
    core_.eventLog().setMirror(
        [this](const std::string& message, const std::string& line, recording::EventLog::Delivery delivery) {
            journal_.write(message, line, delivery);
        });
    core_.seconds().add(lastSecond_, "service status");

    // About once a second, faster when the manager's watchdog asks for it: the
    // STATUS line and the watchdog, and the retries of what start-up still awaits.
    auto tickEvery = std::chrono::milliseconds(1000);
    if (notifier_.watchdogInterval().count() > 0) {
        const auto half = std::chrono::duration_cast<std::chrono::milliseconds>(notifier_.watchdogInterval()) / 2;
        if (half < tickEvery) tickEvery = std::max(half, std::chrono::milliseconds(50));
    }
    stationTimer_.setInterval(static_cast<int>(tickEvery.count()));
    ticksPerRetry_ = static_cast<int>(std::max<long long>(1, 1000 / tickEvery.count()));
    QObject::connect(&stationTimer_, &QTimer::timeout, [this] { tick(); });

    if (StationPublishing* publishing = core_.publishing()) {
        // The MQTT status also while no seconds come, and the publisher's lines into the log.
        QObject::connect(&publishingTimer_, &QTimer::timeout, [publishing] { publishing->tick(); });
    }
}

HeadlessStation::~HeadlessStation() {
    core_.seconds().remove(lastSecond_);
    core_.eventLog().setMirror({});
}

void HeadlessStation::started() {
    health_.started();
    notifier_.ready();
    heartbeat_.tick(stationState(), service::WatchdogGate::Clock::now());
    stationTimer_.start();
    if (core_.publishing() != nullptr) publishingTimer_.start(2000);
}

void HeadlessStation::stopping() {
    stationTimer_.stop();
    publishingTimer_.stop();
    notifier_.stopping();
}

void HeadlessStation::tick() {
    if (core_.lifecycle().waitingForStation() && ++sinceRetry_ >= ticksPerRetry_) {
        sinceRetry_ = 0;
        core_.lifecycle().retryStation();
    }
    heartbeat_.tick(stationState(), service::WatchdogGate::Clock::now());
}

service::StationState HeadlessStation::stationState() const {
    service::StationState state;
    state.waitingForPort = core_.lifecycle().waitingForPort();
    state.waitingForDirectory = core_.lifecycle().waitingForDirectory();
    state.portLost = core_.reconnect().Waiting();
    state.running = core_.acquisition().DataMode();
    state.port = core_.port().ConfiguredPort();
    state.directory = core_.outputDirectory().settingText();
    state.lastSecond = lastSecond_.text();
    state.backlogSeconds = panels_.backlog();
    return state;
}

}  // namespace zuva::app

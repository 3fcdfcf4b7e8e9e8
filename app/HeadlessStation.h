#pragma once

#include <QTimer>

#include "app/HeadlessPanels.h"
#include "app/LastSecond.h"
#include "app/ProgramCore.h"
#include "app/StationHealth.h"
#include "recording/JournalMirror.h"
#include "service/ServiceHeartbeat.h"
#include "service/ServiceNotifier.h"
#include "service/WatchdogGate.h"

namespace zuva::app {

// What makes the headless recorder an unattended station, bound around its program
// core: every event-log line copied to standard error (the journal), the health
// watches (disk space, clock offset, daily report), the service manager's READY,
// STATUS and watchdog, the retries of a port or directory awaited at start-up, and
// the MQTT status while no seconds come.
class HeadlessStation {
public:
    HeadlessStation(ProgramCore& core, HeadlessPanels& panels);
    ~HeadlessStation();
    HeadlessStation(const HeadlessStation&) = delete;
    HeadlessStation& operator=(const HeadlessStation&) = delete;

    // After the core's start-up: the first disk check, READY and the timers.
    void started();
    // Before the core's shut-down: the timers stop and the manager hears STOPPING.
    void stopping();

private:
    service::StationState stationState() const;
    void tick();

    ProgramCore& core_;
    HeadlessPanels& panels_;
    recording::JournalMirror journal_;
    StationHealth health_;
    service::WatchdogGate gate_;
    LastSecond lastSecond_;
    service::ServiceNotifier notifier_;
    service::ServiceHeartbeat heartbeat_;
    QTimer stationTimer_;
    QTimer publishingTimer_;
    int ticksPerRetry_ = 1;
    int sinceRetry_ = 0;
};

}  // namespace zuva::app

#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "service/ServiceNotifier.h"
#include "service/WatchdogGate.h"

namespace zuva::service {

// What the station is doing, as the main loop sees it at one tick.
struct StationState {
    bool waitingForPort = false;       // start-up waits for the stored port
    bool waitingForDirectory = false;  // start-up waits for the output directory
    bool portLost = false;             // the run's port vanished and is being retried
    bool running = false;              // a recording run is active
    std::string port;                  // the port named in the settings
    std::string directory;             // the output directory
    std::string lastSecond;            // "2024-06-30 10:20:30" of the last recorded second, or ""
    std::size_t backlogSeconds = 0;    // seconds not yet written to the data file
};

// Ticks from the main loop (about once a second): sends STATUS= when the state's
// line changes, and WATCHDOG=1 when the watchdog may be fed (seconds arriving, or
// their absence accounted for). A main loop that is held sends nothing, so the
// service manager notices.
class ServiceHeartbeat {
public:
    ServiceHeartbeat(ServiceNotifier& notifier, WatchdogGate& gate) : notifier_(notifier), gate_(gate) {}

    void tick(const StationState& state, WatchdogGate::Clock::time_point now);
    // The STATUS line for a state.
    static std::string statusLine(const StationState& state);
    const std::string& lastStatus() const { return lastStatus_; }

private:
    ServiceNotifier& notifier_;
    WatchdogGate& gate_;
    std::string lastStatus_;
};

}  // namespace zuva::service

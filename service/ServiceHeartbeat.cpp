#include "service/ServiceHeartbeat.h"

namespace zuva::service {

std::string ServiceHeartbeat::statusLine(const StationState& s) {
    if (s.waitingForPort && s.waitingForDirectory) {
        return "Waiting for the port " + s.port + " and the output directory " + s.directory;
    }
    if (s.waitingForPort) return "Waiting for the port " + s.port;
    if (s.waitingForDirectory) return "Waiting for the output directory " + s.directory;
    std::string line;
    if (s.portLost) {
        line = "Port lost, reconnecting: " + s.port;
    } else if (s.running) {
        line = "Recording";
    } else {
        line = "Not recording";
    }
    line += "; last second " + (s.lastSecond.empty() ? std::string("none") : s.lastSecond);
    line += "; backlog " + std::to_string(s.backlogSeconds) + " s";
    return line;
}

void ServiceHeartbeat::tick(const StationState& state, WatchdogGate::Clock::time_point now) {
    gate_.setSilenceAccounted(state.waitingForPort || state.waitingForDirectory || state.portLost || !state.running,
                              now);
    const std::string line = statusLine(state);
    if (line != lastStatus_) {
        notifier_.status(line);
        lastStatus_ = line;
    }
    if (gate_.mayFeed(now)) notifier_.watchdog();
}

}  // namespace zuva::service

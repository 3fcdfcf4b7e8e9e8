#pragma once

#include <chrono>

namespace zuva::service {

// Decides whether the watchdog may be fed: the main loop is turning (the caller feeds
// from it) and either seconds keep arriving or their absence is accounted for (no run,
// the port lost and being retried, the station waiting for its port or disk).
// A run whose seconds stopped without such a reason lets the watchdog run out, so the
// service manager restarts the program.
class WatchdogGate {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kSilenceAllowed{15};

    explicit WatchdogGate(std::chrono::seconds silenceAllowed = kSilenceAllowed) : allowed_(silenceAllowed) {}

    // A completed second arrived at `now`.
    void secondArrived(Clock::time_point now) { last_ = now; seen_ = true; }
    // Whether silence is expected now (no run, port away and retried, station waiting).
    // Becoming expected restarts the silence count when it ends.
    void setSilenceAccounted(bool accounted, Clock::time_point now);

    bool mayFeed(Clock::time_point now) const;

private:
    std::chrono::seconds allowed_;
    Clock::time_point last_{};
    bool seen_ = false;
    bool accounted_ = true;
};

}  // namespace zuva::service

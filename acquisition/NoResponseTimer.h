#pragma once

namespace zuva::acquisition {

// The one-shot 5-second timer that reports an instrument that sends nothing after
// Start or a GPS request. Its expiry is handled by the run (Timer5Timer).
class NoResponseTimer {
public:
    static constexpr int kIntervalMs = 5000;

    virtual ~NoResponseTimer() = default;
    // Starts (or restarts) the 5000 ms countdown.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

}  // namespace zuva::acquisition

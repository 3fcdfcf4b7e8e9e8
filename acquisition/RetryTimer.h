#pragma once

namespace zuva::acquisition {

// A one-shot timer on the main thread for trying something again later (the lost
// port's reopening). Its expiry is handled by whoever started it.
class RetryTimer {
public:
    virtual ~RetryTimer() = default;
    // Starts (or restarts) a countdown of intervalMs milliseconds.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

}  // namespace zuva::acquisition

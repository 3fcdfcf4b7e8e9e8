#pragma once

#include <chrono>
#include <string>

namespace zuva::service {

// Tells the service manager how the program is doing, over the notify socket it
// names in NOTIFY_SOCKET (sd_notify). Without that variable every call does nothing,
// so the program behaves the same when it is not run as a notify service.
class ServiceNotifier {
public:
    ServiceNotifier();

    // A notify socket is set.
    bool enabled() const { return enabled_; }
    // The watchdog interval the manager asks for (WATCHDOG_USEC for this process);
    // zero when it asks for none.
    std::chrono::microseconds watchdogInterval() const { return watchdog_; }

    // "READY=1": start-up is done.
    void ready();
    // "STATUS=<text>": one line shown by systemctl status.
    void status(const std::string& text);
    // "WATCHDOG=1": the program is alive and well.
    void watchdog();
    // "STOPPING=1": the shut-down has begun.
    void stopping();

    // Messages the manager did not take (socket gone); for the log.
    int failures() const { return failures_; }

private:
    void send(const std::string& message);

    bool enabled_ = false;
    std::chrono::microseconds watchdog_{0};
    int failures_ = 0;
};

}  // namespace zuva::service

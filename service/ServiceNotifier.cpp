#include "service/ServiceNotifier.h"

#include <systemd/sd-daemon.h>

#include <cstdint>
#include <cstdlib>

namespace zuva::service {

ServiceNotifier::ServiceNotifier() {
    const char* socket = std::getenv("NOTIFY_SOCKET");
    enabled_ = socket != nullptr && socket[0] != '\0';
    std::uint64_t usec = 0;
    if (enabled_ && sd_watchdog_enabled(0, &usec) > 0) {
        watchdog_ = std::chrono::microseconds(static_cast<std::int64_t>(usec));
    }
}

void ServiceNotifier::send(const std::string& message) {
    if (!enabled_) return;
    if (sd_notify(0, message.c_str()) <= 0) ++failures_;
}

void ServiceNotifier::ready() { send("READY=1"); }

void ServiceNotifier::status(const std::string& text) {
    // STATUS is one line: line breaks would end the assignment early.
    std::string line = text;
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    send("STATUS=" + line);
}

void ServiceNotifier::watchdog() { send("WATCHDOG=1"); }

void ServiceNotifier::stopping() { send("STOPPING=1"); }

}  // namespace zuva::service

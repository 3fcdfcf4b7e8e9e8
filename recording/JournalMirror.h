#pragma once

#include <cstdio>
#include <string>

#include "recording/EventLog.h"

namespace zuva::recording {

// The headless recorder's second copy of the event log on standard error, one line
// per message with its syslog severity in front ("<3>" error, "<4>" warning, "<6>"
// information), as the systemd journal reads a service's output:
//   <6>Program is starting up.
//   <3>Error: ComPort not available!
// While "zuva.log" cannot be written, each line it missed follows in full, with the
// date and time it would have had:
//   <4>Not written to zuva.log: 30.06.2024 10:20:30: Stop = /data/20240630102030.zuv
class JournalMirror {
public:
    explicit JournalMirror(std::FILE* out) : out_(out) {}

    void write(const std::string& message, const std::string& line, EventLog::Delivery delivery);
    // The severity of a message by its prefix: 3 for "Error", 4 for "Warning", 6 otherwise.
    static int severity(const std::string& message);
    // The text write() puts out (with its line end).
    static std::string text(const std::string& message, const std::string& line, EventLog::Delivery delivery);

private:
    std::FILE* out_;
};

}  // namespace zuva::recording

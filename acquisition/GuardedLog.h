#pragma once

#include <string>

#include "recording/LogSink.h"

namespace zuva::acquisition {

// The event log as reception uses it: a log write that fails never interrupts the
// handling of data. The event log itself keeps and reports lines it could not write
// to its file; here such a failure is only kept from spreading.
class GuardedLog final : public recording::LogSink {
public:
    explicit GuardedLog(recording::LogSink& log) : log_(log) {}
    void addlogfile(const std::string& message) override;
    // Log writes that threw since construction.
    int failedWrites() const { return failedWrites_; }

private:
    recording::LogSink& log_;
    int failedWrites_ = 0;
};

}  // namespace zuva::acquisition

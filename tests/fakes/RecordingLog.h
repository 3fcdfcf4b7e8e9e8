#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "recording/LogSink.h"

namespace zuva::fakes {

// A log sink that keeps every message in order. failNext makes the next calls
// throw as a refused log file write would.
class RecordingLog final : public recording::LogSink {
public:
    void addlogfile(const std::string& message) override {
        if (failCount > 0) {
            --failCount;
            throw std::runtime_error("I/O error 30");
        }
        lines.push_back(message);
    }
    void clear() { lines.clear(); }

    std::vector<std::string> lines;
    int failCount = 0;
};

}  // namespace zuva::fakes

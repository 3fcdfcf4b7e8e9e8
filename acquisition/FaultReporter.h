#pragma once

#include <exception>
#include <string>

#include "recording/LogSink.h"

namespace zuva::acquisition {

// Reports a recurring failure once: the first failure of an episode is logged, the
// following ones are only counted, and a success ends the episode.
class FaultReporter {
public:
    explicit FaultReporter(recording::LogSink& log) : log_(log) {}

    // Logs `message` when this failure begins an episode; counts it in any case.
    void failed(const std::string& message);
    // Ends the episode; returns how many failures it had (0 when there was none).
    int recovered();

    bool inEpisode() const { return failures_ > 0; }
    int failures() const { return failures_; }

private:
    recording::LogSink& log_;
    int failures_ = 0;
};

// The message of the exception being handled ("unknown error" for a non-standard one).
std::string currentErrorText(const std::exception_ptr& error);

}  // namespace zuva::acquisition

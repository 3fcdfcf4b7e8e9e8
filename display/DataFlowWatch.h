#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace zuva::display {

// Watches the stream of completed seconds during a recording, for the window's
// warning: while the port is away it says "Port lost: reconnecting"; when no
// second has come for kSilence it says "No data since " and the time of the last
// second (or of the start, when none came yet). Outside a run there is nothing
// to say. The clock is injected.
class DataFlowWatch {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kSilence{2};
    static constexpr const char* kPortLost = "Port lost: reconnecting";

    explicit DataFlowWatch(Clock clock) : clock_(std::move(clock)) {}

    // A run began; sinceText names its start ("11:28:30").
    void runStarted(const std::string& sinceText);
    void runStopped();
    // A second came; timeText is its time ("11:28:34").
    void secondArrived(const std::string& timeText);

    // The warning to show now (empty: none). portAway: the port is being reopened.
    std::string check(bool portAway) const;
    bool running() const { return running_; }

private:
    Clock clock_;
    bool running_ = false;
    std::chrono::steady_clock::time_point last_{};
    std::string lastText_;
};

}  // namespace zuva::display

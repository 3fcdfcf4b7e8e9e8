#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "acquisition/SecondFanOut.h"
#include "acquisition/SecondListener.h"
#include "network/StationPublisher.h"
#include "network/StationStatus.h"
#include "products/FilterChain.h"
#include "recording/EventLog.h"
#include "settings/SettingsFile.h"

namespace zuva::app {

// Publishing of the running logger, built from the settings file's section "Mqtt":
// listens to the IAGA-2002 values, sends every event-log line, and keeps the
// retained status up to date (on every completed second, and on tick() from the
// frontend's timer when no seconds come). Its own lines (broker gone, broker back)
// enter the event log on the main thread. The on-disk queue lies in the working
// directory ("zuva-mqtt-queue").
class StationPublishing final : public acquisition::SecondListener {
public:
    struct Services {
        settings::SettingsFile& settings;
        recording::EventLog& log;
        products::FilterChain& values;
        acquisition::SecondFanOut& seconds;  // the status follows every completed second
        // The program's state for the status message (main thread).
        std::function<network::StationStatus()> status;
    };
    static constexpr const char* kQueueDirectory = "zuva-mqtt-queue";

    // Null when Host is empty; a setting that cannot be used is logged and leaves
    // publishing off.
    static std::unique_ptr<StationPublishing> fromSettings(const Services& services);
    ~StationPublishing() override;

    // Fills in what other parts of the program know (disk days left, clock offset).
    void setStatusExtras(std::function<void(network::StationStatus&)> extras) { extras_ = std::move(extras); }
    // Main thread: the status now, and the publisher's own lines into the event log.
    void tick();
    void secondCompleted(const acquisition::CompletedSecond& second) override;
    std::optional<std::int64_t> lastSecond() const { return lastSecond_; }
    network::StationPublisher& publisher() { return *publisher_; }

private:
    StationPublishing(const Services& services, network::StationPublisher::Config config);

    Services services_;
    std::unique_ptr<network::StationPublisher> publisher_;
    std::function<void(network::StationStatus&)> extras_;
    std::optional<std::int64_t> lastSecond_;
    int logObserver_ = 0;
    bool writing_ = false;  // the publisher's own lines are being logged
};

}  // namespace zuva::app

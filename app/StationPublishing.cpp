#include "app/StationPublishing.h"

#include <unistd.h>

#include <climits>
#include <ctime>
#include <vector>

#include "network/MqttSettings.h"
#include "network/UtcTime.h"
#include "settings/StationSettings.h"

namespace zuva::app {

std::unique_ptr<StationPublishing> StationPublishing::fromSettings(const Services& services) {
    std::vector<std::string> problems;
    network::MqttSettings mqtt = network::MqttSettings::read(services.settings, problems);
    for (const auto& p : problems) services.log.addlogfile(p);
    if (!mqtt.enabled()) return nullptr;
    std::vector<std::string> ignored;  // the station section's problems are logged where it is read
    const settings::StationSettings station = settings::StationSettings::read(services.settings, ignored);
    if (station.iagaCode.empty()) {
        services.log.addlogfile("MQTT publishing to " + mqtt.endpoint() +
                                " is off: section Station of the settings file has no IagaCode");
        return nullptr;
    }
    network::StationPublisher::Config config;
    config.mqtt = std::move(mqtt);
    config.code = station.iagaCode;
    config.metadata.name = station.name;
    config.metadata.institute = station.institute;
    config.metadata.latitude = station.latitude;
    config.metadata.longitude = station.longitude;
    config.metadata.elevation = station.elevation;
    config.metadata.orientation = station.orientation;
    char cwd[PATH_MAX];
    const std::string here = ::getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) : std::string(".");
    config.queueDirectory = here + "/" + kQueueDirectory;
    return std::unique_ptr<StationPublishing>(new StationPublishing(services, std::move(config)));
}

StationPublishing::StationPublishing(const Services& services, network::StationPublisher::Config config)
    : services_(services), publisher_(std::make_unique<network::StationPublisher>(std::move(config))) {
    services_.values.addListener(*publisher_, "MQTT publisher");
    services_.seconds.add(*this, "MQTT status");
    logObserver_ = services_.log.addLineObserver([this](const std::string& line) {
        publisher_->logLine(line, static_cast<std::int64_t>(std::time(nullptr)));
    });
    tick();
    publisher_->start();
}

StationPublishing::~StationPublishing() {
    // The values still in the filters go out now, as the data products hand them to
    // their files at the end; then the publisher leaves the chain.
    services_.seconds.remove(*this);
    services_.values.finish();
    services_.values.removeListener(*publisher_);
    publisher_->stop();
    // What the publisher had to say while stopping still goes into the event log.
    publisher_->drainLog([this](const std::string& line) { services_.log.addlogfile(line); });
    // Lines logged later (the data file's last words at exit) no longer come here.
    services_.log.removeLineObserver(logObserver_);
}

void StationPublishing::tick() {
    network::StationStatus status = services_.status ? services_.status() : network::StationStatus{};
    status.time = static_cast<std::int64_t>(std::time(nullptr));
    status.lastSecond = lastSecond_;
    if (extras_) extras_(status);
    publisher_->setStatus(status);
    if (writing_) return;
    writing_ = true;
    publisher_->drainLog([this](const std::string& line) { services_.log.addlogfile(line); });
    writing_ = false;
}

void StationPublishing::secondCompleted(const acquisition::CompletedSecond& second) {
    network::UtcTime t;
    t.year = second.date.year;
    t.month = second.date.month;
    t.day = second.date.day;
    t.hour = second.time.hour;
    t.minute = second.time.minute;
    t.second = second.time.second;
    lastSecond_ = t.toEpoch();
    tick();
}

}  // namespace zuva::app

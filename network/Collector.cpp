#include "network/Collector.h"

namespace zuva::network {

namespace {

MqttConnection::Options options(const CollectorSettings& s, std::chrono::milliseconds maxRetryPause) {
    MqttConnection::Options o = MqttConnection::Options::from(s.mqtt);
    o.cleanSession = false;
    o.subscriptions = {s.dataTopic(), CollectorSettings::kStatusTopic};
    o.maxRetryPause = maxRetryPause;
    return o;
}

}  // namespace

Collector::Collector(const CollectorSettings& settings, const std::string& outDirectory, Log log,
                     std::chrono::milliseconds maxRetryPause)
    : endpoint_(settings.mqtt.endpoint()),
      topics_(settings.dataTopic() + " and " + CollectorSettings::kStatusTopic),
      log_(std::move(log)),
      archive_(outDirectory, log_),
      connection_(options(settings, maxRetryPause), *this) {}

Collector::~Collector() { connection_.stop(); }

CollectorArchive::Counts Collector::counts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_;
}

void Collector::connected() {
    log_("Connected to the MQTT broker " + endpoint_ + (down_ ? " again" : ""));
    down_ = false;
}

void Collector::subscribed() { log_("Subscribed to " + topics_); }

void Collector::connectionFailed(MqttConnection::Failure, const std::string& reason) {
    if (!down_) log_("MQTT broker " + endpoint_ + " " + reason + "; trying again");
    down_ = true;
}

void Collector::message(const std::string& topic, const std::string& payload) {
    archive_.message(topic, payload);
    std::lock_guard<std::mutex> lock(mutex_);
    counts_ = archive_.counts();
}

}  // namespace zuva::network

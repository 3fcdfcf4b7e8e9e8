#include "network/StationPublisher.h"

#include "network/ImpfTopic.h"

namespace zuva::network {

MqttConnection::Options StationPublisher::connectionOptions(const Config& config) {
    MqttConnection::Options o = MqttConnection::Options::from(config.mqtt);
    o.cleanSession = true;
    o.will = MqttConnection::Will{ImpfTopic::status(config.code), StationStatus::offline(0), true};
    o.maxRetryPause = config.maxRetryPause;
    return o;
}

StationPublisher::StationPublisher(Config config)
    : config_(std::move(config)),
      statusTopic_(ImpfTopic::status(config_.code)),
      logTopic_(ImpfTopic::log(config_.code)),
      connection_(connectionOptions(config_), *this) {
    queue_ = std::make_unique<DiskQueue>(config_.queueDirectory,
                                         static_cast<std::int64_t>(config_.mqtt.queueDays) * 86400,
                                         [this](const std::string& line) { say(line); });
    const std::size_t left = queue_->pending();
    if (left > 0) {
        say("MQTT queue holds " + std::to_string(left) + " unsent message" + (left == 1 ? "" : "s") +
            " from an earlier run; they go out first");
    }
    batcher_ = std::make_unique<MessageBatcher>(
        config_.code, config_.mqtt.level, config_.mqtt.secondsPerMessage, config_.metadata,
        [this](OutgoingMessage m) { enqueue(std::move(m)); }, config_.queueDirectory + "/batch");
}

StationPublisher::~StationPublisher() { stop(); }

void StationPublisher::start() { connection_.start(); }

void StationPublisher::stop() {
    batcher_->flush();
    connection_.stop();
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    queue_->sync();
}

void StationPublisher::valueReady(products::Interval interval, const products::FieldValue& value) {
    batcher_->valueReady(interval, value);
}

void StationPublisher::logLine(const std::string& line, std::int64_t time) {
    enqueue(OutgoingMessage{logTopic_, line, time});
}

void StationPublisher::enqueue(OutgoingMessage message) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    queue_->push(message);
}

void StationPublisher::setStatus(const StationStatus& status) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    status_ = status;
    statusDirty_ = true;
}

void StationPublisher::drainLog(const std::function<void(const std::string&)>& write) {
    std::vector<std::string> lines;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        lines.swap(ownLog_);
    }
    for (const auto& line : lines) write(line);
}

std::size_t StationPublisher::pending() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return queue_->pending();
}

void StationPublisher::say(const std::string& line) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ownLog_.push_back(line);
}

void StationPublisher::connected() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    inflight_.clear();
    queue_->rewind();
    if (!everConnected_) {
        everConnected_ = true;
        say("MQTT publishing to " + config_.mqtt.endpoint() + (config_.mqtt.tls() ? " (TLS)" : "") + " as " +
            config_.mqtt.clientId);
    }
    if (down_) {
        down_ = false;
        downKind_.reset();
        lateThrough_ = queue_->lastSequence();
        lateCount_ = queue_->pending();
    }
    if (status_) statusDirty_ = true;
}

void StationPublisher::connectionFailed(MqttConnection::Failure kind, const std::string& reason) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    inflight_.clear();
    lateThrough_.reset();
    ++failedAttempts_;
    if (!down_) downSince_ = std::chrono::steady_clock::now();
    // One line per kind of trouble, not one per try.
    if (!down_ || downKind_ != kind) {
        say("MQTT broker " + config_.mqtt.endpoint() + " " + reason +
            "; recording goes on, messages wait in " + config_.queueDirectory + " until the broker takes them");
    }
    down_ = true;
    downKind_ = kind;
    downReason_ = reason;
}

void StationPublisher::published(int messageId) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const auto it = inflight_.find(messageId);
    if (it == inflight_.end()) return;
    queue_->acknowledge(it->second);
    inflight_.erase(it);
    checkLateDone();
}

void StationPublisher::checkLateDone() {
    if (!lateThrough_ || queue_->doneThrough() < *lateThrough_) return;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - downSince_).count();
    say("MQTT broker " + config_.mqtt.endpoint() + " back after " + std::to_string(seconds) + " s; " +
        std::to_string(lateCount_) + " message" + (lateCount_ == 1 ? "" : "s") + " sent late");
    lateThrough_.reset();
}

void StationPublisher::idle() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (statusDirty_ && status_ && connection_.isConnected()) {
        StationStatus s = *status_;
        s.mqttBacklog = queue_->pending();
        if (connection_.publish(statusTopic_, s.compose(), 1, true) >= 0) statusDirty_ = false;
    }
    if (connection_.isConnected()) {
        checkLateDone();
        while (inflight_.size() < kWindow) {
            auto next = queue_->next();
            if (!next) break;
            const int mid = connection_.publish(next->second.topic, next->second.payload, 1, false);
            if (mid < 0) {
                queue_->rewind();
                inflight_.clear();
                break;
            }
            inflight_[mid] = next->first;
        }
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastSync_ > std::chrono::seconds(1)) {
        queue_->sync();
        lastSync_ = now;
    }
}

bool StationPublisher::settled() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return inflight_.empty() && !queue_->hasUnoffered();
}

void StationPublisher::closing() {
    std::int64_t time = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (status_) time = status_->time;
    }
    connection_.publish(statusTopic_, StationStatus::offline(time), 1, true);
}

}  // namespace zuva::network

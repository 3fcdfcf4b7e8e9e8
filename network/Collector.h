#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

#include "network/CollectorArchive.h"
#include "network/CollectorSettings.h"
#include "network/MqttConnection.h"
#include "network/StatusBoard.h"

namespace zuva::network {

// The central collector: a persistent MQTT session (QoS 1, so the broker keeps the
// stations' messages while the collector is away) on the data of all stations and
// their status, writing the data into the archive. Runs on the connection's thread;
// log lines go to `log` from there.
class Collector final : private MqttConnection::Handler {
public:
    using Log = std::function<void(const std::string&)>;

    Collector(const CollectorSettings& settings, const std::string& outDirectory, Log log,
              std::chrono::milliseconds maxRetryPause = std::chrono::milliseconds(10000));
    ~Collector() override;

    void start() { connection_.start(); }
    void stop() { connection_.stop(); }

    // Called on the connection thread after each value written (for measurements).
    void setWritten(CollectorArchive::Written written) { archive_.setWritten(std::move(written)); }
    CollectorArchive::Counts counts() const;
    bool connected() const { return connection_.isConnected(); }
    bool isSubscribed() const { return connection_.isSubscribed(); }

private:
    void connected() override;
    void connectionFailed(MqttConnection::Failure kind, const std::string& reason) override;
    void published(int) override {}
    void message(const std::string& topic, const std::string& payload) override;
    void idle() override {}
    void subscribed() override;

    std::string endpoint_;
    std::string topics_;
    Log log_;
    CollectorArchive archive_;
    mutable std::mutex mutex_;
    CollectorArchive::Counts counts_;
    bool down_ = false;
    MqttConnection connection_;
};

}  // namespace zuva::network

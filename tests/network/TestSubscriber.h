#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "MosquittoBroker.h"
#include "network/MqttConnection.h"

namespace zuva::network::testing {

// An MQTT client of the tests that keeps every message it receives.
class TestSubscriber final : private MqttConnection::Handler {
public:
    // persistentId: a persistent session under that client id (the broker keeps the
    // messages while the subscriber is away); empty: a clean session.
    TestSubscriber(const MosquittoBroker& broker, std::vector<std::string> topics, const std::string& persistentId = "")
        : connection_(options(broker, std::move(topics), persistentId), *this) {
        connection_.start();
    }
    ~TestSubscriber() override { connection_.stop(); }

    // Waits (generously) until `done` holds for the messages received so far.
    bool waitFor(const std::function<bool(const std::vector<std::pair<std::string, std::string>>&)>& done,
                 std::chrono::seconds limit = std::chrono::seconds(60)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return done(messages_); });
    }
    bool waitConnected() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return subscribed_; });
    }
    std::vector<std::pair<std::string, std::string>> messages() {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

private:
    static MqttConnection::Options options(const MosquittoBroker& broker, std::vector<std::string> topics,
                                           const std::string& persistentId) {
        MqttConnection::Options o;
        o.host = "127.0.0.1";
        o.port = broker.port();
        o.username = MosquittoBroker::kCollector;
        o.password = MosquittoBroker::kCollectorPassword;
        if (broker.tls()) o.caFile = broker.certificates().ca;
        static int counter = 0;
        o.clientId = "test-subscriber-" + std::to_string(++counter);
        if (!persistentId.empty()) {
            o.clientId = persistentId;
            o.cleanSession = false;
        }
        o.subscriptions = std::move(topics);
        o.maxRetryPause = std::chrono::milliseconds(500);
        return o;
    }
    void connected() override {}
    void connectionFailed(MqttConnection::Failure, const std::string&) override {}
    void published(int) override {}
    void message(const std::string& topic, const std::string& payload) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.emplace_back(topic, payload);
        changed_.notify_all();
    }
    void idle() override {}
    void subscribed() override {
        std::lock_guard<std::mutex> lock(mutex_);
        subscribed_ = true;
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<std::string, std::string>> messages_;
    bool subscribed_ = false;
    MqttConnection connection_;
};

}  // namespace zuva::network::testing

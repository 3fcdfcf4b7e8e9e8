#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "network/DiskQueue.h"
#include "network/MessageBatcher.h"
#include "network/MqttConnection.h"
#include "network/MqttSettings.h"
#include "network/StationStatus.h"
#include "products/FieldValueListener.h"

namespace zuva::network {

// Publishes one station: its one-second and one-minute values in INTERMAGNET's MQTT
// format, its event-log lines and its retained status, with a last will "offline".
// Every data and log message passes through the on-disk queue and leaves it only
// when the broker has acknowledged it, in order, also after a restart.
//
// The main thread calls valueReady, logLine, setStatus and drainLog; none of them
// waits for the network, which runs on the connection's thread (they append to the
// queue's file, as the data file is written, and take a lock the network thread
// holds only for moments). The one-second values of the message being gathered are
// kept in a journal beside the queue, so that a kill loses none of them either. The publisher's
// own log lines (broker gone, broker back) are collected for drainLog, so that the
// main thread writes them into the event log.
class StationPublisher final : public products::FieldValueListener, private MqttConnection::Handler {
public:
    struct Config {
        MqttSettings mqtt;
        std::string code;            // IAGA code
        StationMetadata metadata;
        std::string queueDirectory;  // the on-disk queue
        std::chrono::milliseconds maxRetryPause{10000};
    };

    explicit StationPublisher(Config config);
    ~StationPublisher() override;

    void start();
    // Sends the values gathered so far, says "offline" and disconnects.
    void stop();

    void valueReady(products::Interval interval, const products::FieldValue& value) override;
    // One event-log line, published on zuva/<code>/log; `time` its UTC seconds.
    void logLine(const std::string& line, std::int64_t time);
    // The newest status; published (retained) as soon as the broker can take it.
    void setStatus(const StationStatus& status);
    // Hands over the publisher's own log lines gathered since the last call.
    void drainLog(const std::function<void(const std::string&)>& write);

    // For status and tests: messages not yet acknowledged, and connected or not.
    std::size_t pending() const;
    bool connected() const { return connection_.isConnected(); }
    // Connection attempts that failed since the start.
    std::size_t failedAttempts() const { return failedAttempts_; }

    // Messages in flight at once.
    static constexpr std::size_t kWindow = 64;

private:
    void connected() override;
    void connectionFailed(MqttConnection::Failure kind, const std::string& reason) override;
    void published(int messageId) override;
    void message(const std::string&, const std::string&) override {}
    void idle() override;
    bool settled() override;
    void closing() override;

    void enqueue(OutgoingMessage message);
    void say(const std::string& line);
    void checkLateDone();
    static MqttConnection::Options connectionOptions(const Config& config);

    Config config_;
    std::string statusTopic_;
    std::string logTopic_;
    std::unique_ptr<MessageBatcher> batcher_;  // main thread

    // Shared between the main thread and the connection thread: the main thread puts
    // each message into the on-disk queue itself, so that a kill right after loses none.
    mutable std::recursive_mutex mutex_;
    std::optional<StationStatus> status_;
    bool statusDirty_ = false;
    std::vector<std::string> ownLog_;
    std::atomic<std::size_t> failedAttempts_{0};

    std::unique_ptr<DiskQueue> queue_;
    // Connection thread only.
    std::map<int, std::uint64_t> inflight_;
    bool everConnected_ = false;
    bool down_ = false;
    std::optional<MqttConnection::Failure> downKind_;
    std::string downReason_;
    std::chrono::steady_clock::time_point downSince_{};
    std::optional<std::uint64_t> lateThrough_;
    std::size_t lateCount_ = 0;
    std::chrono::steady_clock::time_point lastSync_{};

    MqttConnection connection_;
};

}  // namespace zuva::network

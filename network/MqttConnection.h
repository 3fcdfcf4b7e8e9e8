#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "network/MqttSettings.h"

struct mosquitto;
struct mosquitto_message;

namespace zuva::network {

// One MQTT client connection over libmosquitto, on a thread of its own: it connects,
// keeps the connection, and after a failure tries again with a growing pause (up to
// `maxRetryPause`), each time with a fresh client so that nothing of the old session
// is resent behind the owner's back. Everything the Handler gets is called on that
// thread, and publish() may only be called from there (inside a Handler call).
class MqttConnection {
public:
    struct Will {
        std::string topic;
        std::string payload;
        bool retain = true;
    };
    struct Options {
        std::string host;
        int port = 1883;
        std::string username;
        std::string password;
        std::string caFile;  // TLS with verification of the broker's certificate and name
        std::string clientId;
        bool cleanSession = true;
        int keepAliveSeconds = 10;
        std::optional<Will> will;
        std::vector<std::string> subscriptions;  // QoS 1, made after every connect
        std::chrono::milliseconds maxRetryPause{10000};
        std::chrono::milliseconds connectTimeout{15000};

        // The broker, the login and the TLS file of a settings section; the rest
        // as above.
        static Options from(const MqttSettings& settings);
    };

    // Why a connection failed or ended.
    enum class Failure { Unreachable, Refused, Tls, Lost };

    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void connected() = 0;
        // `reason` is a complete sentence part for a log line, without the password.
        virtual void connectionFailed(Failure kind, const std::string& reason) = 0;
        virtual void published(int messageId) = 0;
        virtual void message(const std::string& topic, const std::string& payload) = 0;
        // Called at least every 50 ms while the thread runs, connected or not.
        virtual void idle() = 0;
        // The broker confirmed the subscriptions of this connection.
        virtual void subscribed() {}
        // Nothing of the handler's waits for the broker any more: stopping may close.
        virtual bool settled() { return true; }
        // The connection is about to be closed for good: last words (connected only).
        virtual void closing() {}
    };

    MqttConnection(Options options, Handler& handler);
    ~MqttConnection();
    MqttConnection(const MqttConnection&) = delete;
    MqttConnection& operator=(const MqttConnection&) = delete;

    void start();
    // Lets the handler say its last words, disconnects and ends the thread.
    void stop();

    // Connection thread only. Returns the message id, or -1 when it was not taken.
    int publish(const std::string& topic, const std::string& payload, int qos, bool retain);
    bool isConnected() const { return connected_; }
    // Connected, and the broker has confirmed every subscription.
    bool isSubscribed() const { return connected_ && subscribed_; }

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onSubscribe(mosquitto*, void* self, int mid, int count, const int* granted);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message);

    void run();
    bool session();  // one connection attempt and its life; false when stopping
    void pause(std::chrono::milliseconds length);
    std::string describe(int rc) const;
    std::string tlsFailure() const;

    Options options_;
    Handler& handler_;
    mosquitto* mosq_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> connected_{false};
    std::atomic<bool> subscribed_{false};
    int subscriptionsOpen_ = 0;
    int refusal_ = 0;  // CONNACK code of the last refused connect
};

}  // namespace zuva::network

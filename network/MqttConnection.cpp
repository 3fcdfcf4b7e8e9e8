#include "network/MqttConnection.h"

#include <mosquitto.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

namespace zuva::network {

MqttConnection::Options MqttConnection::Options::from(const MqttSettings& settings) {
    Options o;
    o.host = settings.host;
    o.port = settings.port;
    o.username = settings.username;
    o.password = settings.password;
    o.caFile = settings.caFile;
    o.clientId = settings.clientId;
    return o;
}

namespace {

void initialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

}  // namespace

MqttConnection::MqttConnection(Options options, Handler& handler) : options_(std::move(options)), handler_(handler) {
    initialiseLibrary();
}

MqttConnection::~MqttConnection() { stop(); }

void MqttConnection::start() {
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void MqttConnection::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void MqttConnection::pause(std::chrono::milliseconds length) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, length, [this] { return stopping_.load(); });
}

void MqttConnection::run() {
    std::chrono::milliseconds retry{500};
    while (!stopping_) {
        const bool wasConnected = session();
        if (stopping_) break;
        if (wasConnected) retry = std::chrono::milliseconds(500);
        // Waiting for the next try still serves the handler (it queues meanwhile).
        const auto until = std::chrono::steady_clock::now() + retry;
        while (!stopping_ && std::chrono::steady_clock::now() < until) {
            handler_.idle();
            pause(std::chrono::milliseconds(50));
        }
        retry = std::min(retry * 2, options_.maxRetryPause);
    }
}

std::string MqttConnection::describe(int rc) const {
    if (rc == MOSQ_ERR_ERRNO) return std::strerror(errno);
    return mosquitto_strerror(rc);
}

std::string MqttConnection::tlsFailure() const {
    return "TLS handshake failed: the broker's certificate is not signed by the CA in " + options_.caFile +
           " or does not name " + options_.host;
}

bool MqttConnection::session() {
    mosq_ = mosquitto_new(options_.clientId.c_str(), options_.cleanSession, this);
    if (mosq_ == nullptr) {
        handler_.connectionFailed(Failure::Unreachable, "no MQTT client could be made: " + std::string(std::strerror(errno)));
        return false;
    }
    connected_ = false;
    subscribed_ = false;
    subscriptionsOpen_ = 0;
    refusal_ = 0;
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq_, &MqttConnection::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttConnection::onDisconnect);
    mosquitto_publish_callback_set(mosq_, &MqttConnection::onPublish);
    mosquitto_message_callback_set(mosq_, &MqttConnection::onMessage);
    mosquitto_subscribe_callback_set(mosq_, &MqttConnection::onSubscribe);
    mosquitto_max_inflight_messages_set(mosq_, 0);
    if (!options_.username.empty())
        mosquitto_username_pw_set(mosq_, options_.username.c_str(),
                                  options_.password.empty() ? nullptr : options_.password.c_str());
    if (options_.will) {
        mosquitto_will_set(mosq_, options_.will->topic.c_str(), static_cast<int>(options_.will->payload.size()),
                           options_.will->payload.data(), 1, options_.will->retain);
    }
    bool wasConnected = false;
    const auto finish = [this] {
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
        connected_ = false;
    };
    if (!options_.caFile.empty()) {
        int rc = mosquitto_tls_set(mosq_, options_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_tls_opts_set(mosq_, 1, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            handler_.connectionFailed(Failure::Tls, "the CA file " + options_.caFile + " cannot be used: " + describe(rc));
            finish();
            return false;
        }
    }
    int rc = mosquitto_connect_async(mosq_, options_.host.c_str(), options_.port, options_.keepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        if (rc == MOSQ_ERR_TLS) {
            handler_.connectionFailed(Failure::Tls, tlsFailure());
        } else {
            handler_.connectionFailed(Failure::Unreachable, "cannot connect: " + describe(rc));
        }
        finish();
        return false;
    }
    const auto began = std::chrono::steady_clock::now();
    while (!stopping_) {
        rc = mosquitto_loop(mosq_, 50, 1);
        if (connected_) wasConnected = true;
        handler_.idle();
        if (rc != MOSQ_ERR_SUCCESS) break;
        if (!connected_ && std::chrono::steady_clock::now() - began > options_.connectTimeout) {
            handler_.connectionFailed(Failure::Unreachable, "no answer to the connect within " +
                                                                std::to_string(options_.connectTimeout.count() / 1000) +
                                                                " s");
            finish();
            return wasConnected;
        }
    }
    if (stopping_) {
        if (connected_) {
            // What is in flight gets up to two seconds for its acknowledgement, then
            // the last words and the disconnect go out.
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            handler_.idle();
            while (connected_ && !handler_.settled() && std::chrono::steady_clock::now() < until &&
                   mosquitto_loop(mosq_, 50, 1) == MOSQ_ERR_SUCCESS) {
                handler_.idle();
            }
            if (connected_) {
                handler_.closing();
                mosquitto_disconnect(mosq_);
                const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                while (std::chrono::steady_clock::now() < end && mosquitto_loop(mosq_, 50, 1) == MOSQ_ERR_SUCCESS) {
                }
            }
        }
        finish();
        return wasConnected;
    }
    if (refusal_ == 4 || refusal_ == 5) {
        handler_.connectionFailed(Failure::Refused, "refused the login of user " + options_.username +
                                                        ": wrong user name or password, or not authorised");
    } else if (refusal_ != 0) {
        handler_.connectionFailed(Failure::Refused, std::string("refused the connection: ") +
                                                        mosquitto_connack_string(refusal_));
    } else if (rc == MOSQ_ERR_TLS) {
        handler_.connectionFailed(Failure::Tls, tlsFailure());
    } else if (wasConnected) {
        handler_.connectionFailed(Failure::Lost, "connection lost: " + describe(rc));
    } else {
        handler_.connectionFailed(Failure::Unreachable, "cannot connect: " + describe(rc));
    }
    finish();
    return wasConnected;
}

int MqttConnection::publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
    if (mosq_ == nullptr || !connected_) return -1;
    int mid = 0;
    const int rc = mosquitto_publish(mosq_, &mid, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos,
                                     retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttConnection::onConnect(mosquitto* mosq, void* self, int rc) {
    auto* c = static_cast<MqttConnection*>(self);
    if (rc != 0) {
        c->refusal_ = rc;
        return;
    }
    c->connected_ = true;
    c->subscriptionsOpen_ = 0;
    for (const auto& topic : c->options_.subscriptions)
        if (mosquitto_subscribe(mosq, nullptr, topic.c_str(), 1) == MOSQ_ERR_SUCCESS) ++c->subscriptionsOpen_;
    c->subscribed_ = c->subscriptionsOpen_ == 0;
    c->handler_.connected();
}

void MqttConnection::onDisconnect(mosquitto*, void* self, int) { static_cast<MqttConnection*>(self)->connected_ = false; }

void MqttConnection::onSubscribe(mosquitto*, void* self, int, int, const int*) {
    auto* c = static_cast<MqttConnection*>(self);
    if (--c->subscriptionsOpen_ == 0) {
        c->subscribed_ = true;
        c->handler_.subscribed();
    }
}

void MqttConnection::onPublish(mosquitto*, void* self, int mid) { static_cast<MqttConnection*>(self)->handler_.published(mid); }

void MqttConnection::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
    if (message == nullptr || message->topic == nullptr) return;
    const std::string payload(static_cast<const char*>(message->payload),
                              static_cast<std::size_t>(message->payloadlen > 0 ? message->payloadlen : 0));
    static_cast<MqttConnection*>(self)->handler_.message(message->topic, payload);
}

}  // namespace zuva::network

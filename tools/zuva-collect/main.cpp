// zuva-collect: the central collector of a network of stations.
//
//   zuva-collect --config PATH --out DIR
//   zuva-collect --config PATH --status
//
// Subscribes to the data of all stations (impf/#) and their status on the broker
// the settings file names, and writes each station's one-second and one-minute
// IAGA-2002 day files into DIR/<code>/ until SIGINT or SIGTERM. --status prints one
// line per station from the retained status messages and ends.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "network/Collector.h"
#include "network/CollectorSettings.h"
#include "network/MqttConnection.h"
#include "network/StatusBoard.h"

namespace {

void usage(std::FILE* to) {
    std::fputs(
        "usage: zuva-collect --config PATH --out DIR\n"
        "       zuva-collect --config PATH --status\n"
        "  --config PATH  settings file with the broker in section [Mqtt] (Host, Port, Username,\n"
        "                 Password or PasswordFile, CaFile, ClientId) and [Collector] Share\n"
        "  --out DIR      the archive: DIR/<code>/ gets each station's IAGA-2002 day files\n"
        "  --status       print one line per station from its retained status and end\n",
        to);
}

void logLine(const std::string& line) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &tm);
    std::fprintf(stderr, "%s zuva-collect: %s\n", stamp, line.c_str());
    std::fflush(stderr);
}

// Gathers the retained status messages: they come right after the subscription.
class StatusReader final : private zuva::network::MqttConnection::Handler {
public:
    explicit StatusReader(const zuva::network::CollectorSettings& s) : connection_(options(s), *this) {}

    // True when the broker answered; the board then holds what it had.
    bool read(std::chrono::seconds limit) {
        connection_.start();
        std::unique_lock<std::mutex> lock(mutex_);
        const auto until = std::chrono::steady_clock::now() + limit;
        // Once connected, a second without a new status ends the wait.
        while (std::chrono::steady_clock::now() < until) {
            if (connectedAt_ && std::chrono::steady_clock::now() - lastMessage_ > std::chrono::seconds(1)) break;
            changed_.wait_for(lock, std::chrono::milliseconds(100));
        }
        const bool answered = connectedAt_;
        lock.unlock();
        connection_.stop();
        return answered;
    }
    const zuva::network::StatusBoard& board() const { return board_; }
    const std::string& failure() const { return failure_; }

private:
    static zuva::network::MqttConnection::Options options(const zuva::network::CollectorSettings& s) {
        zuva::network::MqttConnection::Options o;
        o.host = s.mqtt.host;
        o.port = s.mqtt.port;
        o.username = s.mqtt.username;
        o.password = s.mqtt.password;
        o.caFile = s.mqtt.caFile;
        o.clientId = s.mqtt.clientId + "-status-" + std::to_string(::getpid());
        o.subscriptions = {zuva::network::CollectorSettings::kStatusTopic};
        return o;
    }
    void connected() override {
        std::lock_guard<std::mutex> lock(mutex_);
        connectedAt_ = true;
        lastMessage_ = std::chrono::steady_clock::now();
    }
    void connectionFailed(zuva::network::MqttConnection::Failure, const std::string& reason) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failure_.empty()) failure_ = reason;
    }
    void published(int) override {}
    void message(const std::string& topic, const std::string& payload) override {
        std::lock_guard<std::mutex> lock(mutex_);
        board_.message(topic, payload);
        lastMessage_ = std::chrono::steady_clock::now();
        changed_.notify_all();
    }
    void idle() override {}

    std::mutex mutex_;
    std::condition_variable changed_;
    bool connectedAt_ = false;
    std::chrono::steady_clock::time_point lastMessage_{};
    zuva::network::StatusBoard board_;
    std::string failure_;
    zuva::network::MqttConnection connection_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string config, out;
    bool status = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            config = argv[++i];
        } else if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "--status") {
            status = true;
        } else if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "zuva-collect: unknown argument '%s'\n", arg.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (config.empty() || (out.empty() && !status)) {
        usage(stderr);
        return 2;
    }
    if (::access(config.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "zuva-collect: cannot read the settings file %s: %s\n", config.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::vector<std::string> problems;
    const auto settings = zuva::network::CollectorSettings::read(zuva::settings::SettingsFile(config), problems);
    for (const auto& p : problems) logLine(p);
    if (!settings.mqtt.enabled()) {
        std::fprintf(stderr, "zuva-collect: no broker: section [Mqtt] of %s needs Host (and Username)\n",
                     config.c_str());
        return 1;
    }

    if (status) {
        StatusReader reader(settings);
        if (!reader.read(std::chrono::seconds(20))) {
            std::fprintf(stderr, "zuva-collect: MQTT broker %s %s\n", settings.mqtt.endpoint().c_str(),
                         reader.failure().empty() ? "did not answer" : reader.failure().c_str());
            return 1;
        }
        const auto lines = reader.board().lines(static_cast<std::int64_t>(std::time(nullptr)));
        if (lines.empty()) std::puts("no station has published a status");
        for (const auto& line : lines) std::puts(line.c_str());
        return 0;
    }

    if (::access(out.c_str(), W_OK) != 0) {
        std::fprintf(stderr, "zuva-collect: cannot write into %s: %s\n", out.c_str(), std::strerror(errno));
        return 1;
    }
    // SIGINT and SIGTERM end the run; they are taken by this thread alone.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    zuva::network::Collector collector(settings, out, logLine);
    logLine("Collecting from " + settings.mqtt.endpoint() + " as " + settings.mqtt.clientId + " into " + out +
            (settings.share.empty() ? "" : " (shared subscription group " + settings.share + ")"));
    collector.start();
    int signal = 0;
    sigwait(&signals, &signal);
    collector.stop();
    const auto counts = collector.counts();
    logLine("Stopped: " + std::to_string(counts.messages) + " messages, " + std::to_string(counts.values) +
            " values written, " + std::to_string(counts.repeats) + " repeats ignored, " +
            std::to_string(counts.refused) + " messages not used");
    return 0;
}

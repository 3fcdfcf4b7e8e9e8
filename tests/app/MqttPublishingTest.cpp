// zuva-logger --headless against zuva-sim, publishing to a real mosquitto (TLS and
// passwords) while a collector writes the archive: the broker stopped for 30 s and
// the logger killed with SIGKILL and restarted during the run lose no second.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "TestDirectory.h"
#include "SimJournal.h"
#include "network/Collector.h"
#include "network/MosquittoBroker.h"
#include "network/TestSubscriber.h"
#include "products/IagaChecker.h"
#include "products/IagaFileReader.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using network::testing::MosquittoBroker;
using testing::readFile;

class MqttPublishing : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dir / "data");
        fs::create_directory(dir / "archive");
    }

    // The settings of a station ABC recording at 1 Hz, publishing to the broker.
    void writeSettings(const MosquittoBroker& broker, const std::string& port, const std::string& password,
                       const std::string& caFile) {
        const fs::path passwordFile = dir / "mqtt.pass";
        std::ofstream(passwordFile) << password << "\n";
        ::chmod(passwordFile.c_str(), 0600);
        std::ofstream(dir / "zuva.ini") << "[Config]\nComPort=" << port
                                        << "\nGain=0\nsensitivity=2,393E-5\nSamplingRate=0\nStart=Yes\nOutputDirectory="
                                        << (dir / "data").string()
                                        << "\n[Station]\nIagaCode=ABC\nName=Alpha\nIagaOutput=Yes\n"
                                        << "[Mqtt]\nHost=127.0.0.1\nPort=" << broker.port()
                                        << "\nUsername=abc\nPasswordFile=" << passwordFile.string()
                                        << "\nCaFile=" << caFile << "\nSecondsPerMessage=1\n";
    }

    std::unique_ptr<testing::ChildProcess> startLogger(const std::string& name) {
        return std::make_unique<testing::ChildProcess>(
            ZUVA_BIN_DIR "/zuva-logger", std::vector<std::string>{"--headless", "--config", (dir / "zuva.ini").string()},
            dir.string(), env(), (dir / (name + ".out")).string(), (dir / (name + ".err")).string());
    }
    std::unique_ptr<testing::ChildProcess> startSim() {
        auto sim = std::make_unique<testing::ChildProcess>(ZUVA_BIN_DIR "/zuva-sim",
                                                           std::vector<std::string>{"--name", "mqtt"}, dir.string(),
                                                           env(), (dir / "sim.out").string(), (dir / "sim.err").string());
        return sim;
    }
    std::vector<std::string> env() const { return {"XDG_RUNTIME_DIR=" + dir.string()}; }

    static bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit = 90s) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }
    // The station's own one-second file, or empty while there is none.
    fs::path stationSecondFile() const {
        for (const auto& e : fs::directory_iterator(dir / "data"))
            if (e.path().string().ends_with("vsec.sec")) return e.path();
        return {};
    }
    // The values of a one-second file by time; missing ones left out.
    static std::map<std::int64_t, products::FieldValue> valuesOf(const fs::path& file) {
        std::map<std::int64_t, products::FieldValue> out;
        if (file.empty() || !fs::exists(file)) return out;
        try {
            for (const auto& r : products::IagaFileReader::readFile(file.string()).records)
                if (!std::isnan(r.x)) out[r.time] = r;
        } catch (const std::exception&) {
        }
        return out;
    }
    std::string log() const { return readFile(dir / "zuva.log"); }
    static std::size_t count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }

    testing::TestDirectory scratch{"zuva-mqtt-e2e"};
    const fs::path dir = scratch.path();
};

TEST_F(MqttPublishing, BrokerOutageAndKilledLoggerLoseNoSecondInTheArchive) {
    MosquittoBroker broker(true);
    auto sim = startSim();
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");
    writeSettings(broker, port, MosquittoBroker::kPassword, broker.certificates().ca);

    network::CollectorSettings cs;
    cs.mqtt.host = "127.0.0.1";
    cs.mqtt.port = broker.port();
    cs.mqtt.username = MosquittoBroker::kCollector;
    cs.mqtt.password = MosquittoBroker::kCollectorPassword;
    cs.mqtt.caFile = broker.certificates().ca;
    cs.mqtt.clientId = "e2e-collector";
    network::Collector collector(cs, (dir / "archive").string(), [](const std::string&) {}, 500ms);
    collector.start();
    ASSERT_TRUE(waitFor([&] { return collector.isSubscribed(); }));
    network::testing::TestSubscriber status(broker, {"zuva/abc/status"}, "e2e-status");
    ASSERT_TRUE(status.waitConnected());

    auto logger = startLogger("logger1");
    // Published: a value a second reaches the archive.
    const auto archived = [&] {
        const fs::path station = stationSecondFile();
        return station.empty() ? fs::path() : dir / "archive" / "abc" / station.filename();
    };
    ASSERT_TRUE(waitFor([&] { return valuesOf(archived()).size() >= 5; })) << readFile(dir / "logger1.err") << log();
    ASSERT_TRUE(status.waitFor([](const auto& m) {
        for (const auto& [topic, payload] : m)
            if (payload.find("\"state\":\"recording\"") != std::string::npos) return true;
        return false;
    }));

    // The broker goes away for 30 s; halfway the logger is killed and started again.
    broker.stop();
    const auto outage = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitFor([&] { return log().find("connection lost") != std::string::npos; })) << log();
    std::this_thread::sleep_for(15s);
    logger->signal(SIGKILL);
    ASSERT_EQ(logger->wait(10s), 128 + SIGKILL);
    logger = startLogger("logger2");
    std::this_thread::sleep_until(outage + 30s);
    ASSERT_TRUE(logger->running()) << readFile(dir / "logger2.err");
    broker.start();
    ASSERT_TRUE(waitFor([&] { return log().find(" messages sent late") != std::string::npos; })) << log();

    // Some more seconds after the outage, then the end of the run.
    const std::size_t before = valuesOf(stationSecondFile()).size();
    ASSERT_TRUE(waitFor([&] { return valuesOf(stationSecondFile()).size() >= before + 5; }));
    logger->signal(SIGTERM);
    ASSERT_EQ(logger->wait(30s), 0) << readFile(dir / "logger2.err");
    sim->signal(SIGTERM);

    const auto station = valuesOf(stationSecondFile());
    ASSERT_GE(station.size(), 40u);
    ASSERT_TRUE(waitFor([&] { return valuesOf(archived()).size() >= station.size(); }, 60s))
        << valuesOf(archived()).size() << " of " << station.size();
    const auto archive = valuesOf(archived());
    // Every second of the station's file, once, with the same values.
    EXPECT_EQ(archive.size(), station.size());
    for (const auto& [time, value] : station) {
        const auto it = archive.find(time);
        ASSERT_NE(it, archive.end()) << "second " << time << " missing in the archive";
        EXPECT_EQ(it->second.x, value.x) << time;
        EXPECT_EQ(it->second.y, value.y) << time;
        EXPECT_EQ(it->second.z, value.z) << time;
    }
    EXPECT_TRUE(products::IagaChecker::checkFile(archived().string()).empty());
    const auto records = products::IagaFileReader::readFile(archived().string()).records;
    for (std::size_t i = 1; i < records.size(); ++i) EXPECT_EQ(records[i].time, records[i - 1].time + 1);

    // The event log: gone once, back once with the messages sent late; the queue of the
    // killed run taken over; the status at the end says offline.
    const std::string text = log();
    EXPECT_EQ(count(text, "MQTT publishing to 127.0.0.1:" + std::to_string(broker.port()) + " (TLS) as abc"), 2u)
        << text;
    EXPECT_EQ(count(text, "connection lost"), 1u) << text;
    EXPECT_EQ(count(text, " unsent messages from an earlier run; they go out first"), 1u) << text;
    EXPECT_EQ(count(text, " messages sent late"), 1u) << text;
    EXPECT_EQ(text.find(MosquittoBroker::kPassword), std::string::npos);
    ASSERT_TRUE(status.waitFor([](const auto& m) { return m.back().second.find("offline") != std::string::npos; }));
    collector.stop();
}

TEST_F(MqttPublishing, WrongPasswordOrUntrustedCertificateGiveOneLineAndRecordingGoesOn) {
    MosquittoBroker broker(true);
    auto sim = startSim();
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");
    struct Case {
        std::string password, caFile, line;
    };
    const std::string endpoint = "MQTT broker 127.0.0.1:" + std::to_string(broker.port());
    const std::vector<Case> cases{
        {"not-the-password", broker.certificates().ca,
         endpoint + " refused the login of user abc: wrong user name or password, or not authorised"},
        {MosquittoBroker::kPassword, broker.certificates().otherCa,
         endpoint + " TLS handshake failed: the broker's certificate is not signed by the CA in " +
             broker.certificates().otherCa + " or does not name 127.0.0.1"}};
    for (const Case& c : cases) {
        fs::remove(dir / "zuva.log");
        writeSettings(broker, port, c.password, c.caFile);
        auto logger = startLogger("logger");
        // Recording goes on: the data file grows through many failed connects.
        std::uintmax_t size = 0;
        ASSERT_TRUE(waitFor([&] {
            for (const auto& e : fs::directory_iterator(dir / "data"))
                if (e.path().extension() == ".zuv") size = fs::file_size(e.path());
            return size > 0 && count(log(), c.line) > 0;
        })) << log();
        const std::uintmax_t first = size;
        ASSERT_TRUE(waitFor([&] {
            std::uintmax_t now = 0;
            for (const auto& e : fs::directory_iterator(dir / "data"))
                if (e.path().extension() == ".zuv") now = std::max(now, fs::file_size(e.path()));
            return now > first + 5 * 20;  // five more seconds of records
        })) << log();
        logger->signal(SIGTERM);
        ASSERT_EQ(logger->wait(30s), 0) << readFile(dir / "logger.err");
        const std::string text = log();
        EXPECT_EQ(count(text, c.line), 1u) << text;
        EXPECT_EQ(count(text, endpoint), 1u) << text;
        EXPECT_EQ(text.find(MosquittoBroker::kPassword), std::string::npos);
        for (const auto& e : fs::directory_iterator(dir / "data")) fs::remove(e.path());
        fs::remove_all(dir / "zuva-mqtt-queue");
    }
    sim->signal(SIGTERM);
}

}  // namespace
}  // namespace zuva::app

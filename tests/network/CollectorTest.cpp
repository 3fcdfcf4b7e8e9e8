#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "MosquittoBroker.h"
#include "NetworkTempDir.h"
#include "TlsBrokerSuite.h"
#include "network/Collector.h"
#include "network/StationPublisher.h"
#include "products/IagaChecker.h"
#include "products/IagaFileReader.h"

namespace zuva::network {
namespace {

using products::FieldValue;
using products::Interval;
using testing::MosquittoBroker;
using testing::NetworkTempDir;

constexpr std::int64_t kDay = 1773446400;  // 2026-03-14T00:00:00

class CollectorBroker : public testing::TlsBrokerSuite {
protected:
    StationPublisher::Config station(const std::string& code) const {
        StationPublisher::Config c;
        c.mqtt = login(MosquittoBroker::kUser, MosquittoBroker::kPassword);
        c.mqtt.clientId = "station-" + code;
        c.mqtt.secondsPerMessage = 4;
        c.code = code;
        c.metadata.name = "Station " + code;
        c.queueDirectory = dir.file("queue-" + code);
        c.maxRetryPause = std::chrono::milliseconds(300);
        return c;
    }
    CollectorSettings collectorSettings() const {
        CollectorSettings s;
        s.mqtt = login(MosquittoBroker::kCollector, MosquittoBroker::kCollectorPassword);
        s.mqtt.clientId = "collector-" + std::to_string(::getpid()) + "-" + dir.path().filename().string();
        return s;
    }
    static bool waitFor(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    static double xAt(std::int64_t t) { return 20000.0 + static_cast<double>(t % 1000) * 0.01; }
    static void feed(StationPublisher& p, std::int64_t from, std::int64_t to) {
        for (std::int64_t t = from; t < to; ++t) p.valueReady(Interval::Second, FieldValue{t, xAt(t), -5.5, 40000});
    }
    // Waits until the archive file holds `count` records with a value.
    static bool waitValues(const std::string& path, std::size_t count) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < until) {
            if (std::filesystem::exists(path)) {
                std::size_t present = 0;
                try {
                    for (const auto& r : products::IagaFileReader::readFile(path).records)
                        present += std::isnan(r.x) ? 0 : 1;
                } catch (const std::exception&) {
                }
                if (present >= count) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    NetworkTempDir dir;
};

TEST_F(CollectorBroker, TwoStationsAndACollectorRestartGiveCompleteDayFiles) {
    const std::string out = dir.file("archive");
    std::filesystem::create_directories(out);
    std::vector<std::string> log;
    std::mutex logMutex;
    const auto collect = [&](const std::string& l) {
        std::lock_guard<std::mutex> lock(logMutex);
        log.push_back(l);
    };
    auto collector = std::make_unique<Collector>(collectorSettings(), out, collect, std::chrono::milliseconds(300));
    collector->start();
    ASSERT_TRUE(waitFor([&] { return collector->isSubscribed(); }));
    StationPublisher abc(station("ABC"));
    StationPublisher xyz(station("XYZ"));
    abc.start();
    xyz.start();
    feed(abc, kDay, kDay + 40);
    feed(xyz, kDay, kDay + 20);
    const std::string abcFile = out + "/abc/abc20260314vsec.sec";
    ASSERT_TRUE(waitValues(abcFile, 40));
    ASSERT_TRUE(waitValues(out + "/xyz/xyz20260314vsec.sec", 20));

    // The collector goes away; its persistent session keeps what comes meanwhile.
    collector->stop();
    collector.reset();
    feed(abc, kDay + 40, kDay + 80);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (abc.pending() > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(abc.pending(), 0u);
    collector = std::make_unique<Collector>(collectorSettings(), out, collect, std::chrono::milliseconds(300));
    collector->start();
    ASSERT_TRUE(waitValues(abcFile, 80));
    abc.stop();
    xyz.stop();
    collector->stop();

    const auto file = products::IagaFileReader::readFile(abcFile);
    ASSERT_EQ(file.records.size(), 80u);
    for (std::size_t i = 0; i < file.records.size(); ++i) {
        EXPECT_EQ(file.records[i].time, kDay + static_cast<std::int64_t>(i));
        EXPECT_NEAR(file.records[i].x, xAt(kDay + static_cast<std::int64_t>(i)), 0.005);
        EXPECT_EQ(file.records[i].y, -5.5);
    }
    EXPECT_EQ(file.header.stationName, "Station ABC");
    EXPECT_TRUE(products::IagaChecker::checkFile(abcFile).empty());
    std::lock_guard<std::mutex> lock(logMutex);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "Connected to the MQTT broker 127.0.0.1:" + std::to_string(broker_->port()));
    EXPECT_EQ(log[1], "Subscribed to impf/# and zuva/+/status");
}

// The collector program: the archive while it runs, and --status from the retained messages.
TEST_F(CollectorBroker, ZuvaCollectWritesTheArchiveAndShowsTheStatus) {
    const std::string out = dir.file("archive");
    std::filesystem::create_directories(out);
    const std::string passwordFile = dir.file("collector.pass");
    testing::writeText(passwordFile, std::string(MosquittoBroker::kCollectorPassword) + "\n");
    ::chmod(passwordFile.c_str(), 0600);
    const std::string config = dir.file("collect.ini");
    testing::writeText(config, "[Mqtt]\nHost=127.0.0.1\nPort=" + std::to_string(broker_->port()) +
                                   "\nUsername=collector\nPasswordFile=" + passwordFile + "\nCaFile=" +
                                   broker_->certificates().ca + "\nClientId=zuva-collect-test-" +
                                   std::to_string(::getpid()) + "\n");
    const std::string errors = dir.file("collect.err");
    const pid_t child = ::fork();
    if (child == 0) {
        if (!std::freopen(errors.c_str(), "w", stderr)) _exit(126);
        ::execl(ZUVA_BIN_DIR "/zuva-collect", "zuva-collect", "--config", config.c_str(), "--out", out.c_str(),
                static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(waitFor([&] { return testing::readText(errors).find("Subscribed to impf/#") != std::string::npos; }));
    StationPublisher abc(station("ABC"));
    abc.start();
    StationStatus status;
    status.time = kDay + 12;
    status.recording = true;
    status.lastSecond = kDay + 11;
    abc.setStatus(status);
    feed(abc, kDay, kDay + 12);
    abc.valueReady(Interval::Minute, FieldValue{kDay, 1, 2, 3});
    const bool written = waitValues(out + "/abc/abc20260314vsec.sec", 12) && waitValues(out + "/abc/abc20260314vmin.min", 1);
    ::kill(child, SIGTERM);
    int code = -1;
    ::waitpid(child, &code, 0);
    ASSERT_TRUE(written) << testing::readText(errors);
    EXPECT_TRUE(WIFEXITED(code) && WEXITSTATUS(code) == 0) << testing::readText(errors);
    const std::string stderrText = testing::readText(errors);
    EXPECT_NE(stderrText.find("zuva-collect: Collecting from 127.0.0.1:" + std::to_string(broker_->port())),
              std::string::npos)
        << stderrText;
    EXPECT_NE(stderrText.find("zuva-collect: Stopped: "), std::string::npos) << stderrText;
    EXPECT_EQ(stderrText.find(MosquittoBroker::kCollectorPassword), std::string::npos);

    // --status: the retained status of ABC, its lag measured against this moment.
    const std::string statusOut = dir.file("status.out");
    const std::string command = std::string(ZUVA_BIN_DIR) + "/zuva-collect --config " + config + " --status > " +
                                statusOut + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << testing::readText(statusOut);
    const std::string lines = testing::readText(statusOut);
    EXPECT_TRUE(lines.starts_with("abc  recording  last second 2026-03-14T00:00:11  lag ")) << lines;
    abc.stop();
}

TEST(CollectorSettingsTest, ShareMakesASharedSubscription) {
    NetworkTempDir dir;
    testing::writeText(dir.file("c.ini"), "[Mqtt]\nHost=broker\nUsername=c1\nPassword=x\n[Collector]\nShare=archive\n");
    std::vector<std::string> problems;
    const auto s = CollectorSettings::read(settings::SettingsFile(dir.file("c.ini")), problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(s.dataTopic(), "$share/archive/impf/#");
    testing::writeText(dir.file("d.ini"), "[Mqtt]\nHost=broker\nUsername=c1\n[Collector]\nShare=a/b\n");
    const auto d = CollectorSettings::read(settings::SettingsFile(dir.file("d.ini")), problems);
    EXPECT_EQ(d.dataTopic(), "impf/#");
    EXPECT_EQ(problems, (std::vector<std::string>{"Collector setting Share=a/b not taken: a name without '/', '+' or '#' is needed"}));
}

}  // namespace
}  // namespace zuva::network

#include <gtest/gtest.h>

#include <algorithm>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "MosquittoBroker.h"
#include "NetworkTempDir.h"
#include "TestSubscriber.h"
#include "TlsBrokerSuite.h"
#include "network/ImpfPayload.h"
#include "network/JsonValue.h"
#include "network/StationPublisher.h"

namespace zuva::network {
namespace {

using products::FieldValue;
using products::Interval;
using testing::MosquittoBroker;
using testing::NetworkTempDir;
using testing::TestSubscriber;
using Messages = std::vector<std::pair<std::string, std::string>>;

constexpr std::int64_t kT0 = 1773483630;  // 2026-03-14T10:20:30

class TlsBroker : public testing::TlsBrokerSuite {
protected:
    StationPublisher::Config config(const std::string& password = MosquittoBroker::kPassword) const {
        StationPublisher::Config c;
        c.mqtt = login(MosquittoBroker::kUser, password);
        c.mqtt.secondsPerMessage = 5;
        c.code = "ABC";
        c.metadata.name = "Alpha";
        c.queueDirectory = dir.file("queue");
        c.maxRetryPause = std::chrono::milliseconds(300);
        return c;
    }

    // Collects the publisher's own log lines until `done` holds for them.
    static bool waitLog(StationPublisher& p, std::vector<std::string>& lines,
                        const std::function<bool(const std::vector<std::string>&)>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < until) {
            p.drainLog([&](const std::string& l) { lines.push_back(l); });
            if (done(lines)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    static void feedSeconds(StationPublisher& p, std::int64_t from, int count) {
        for (std::int64_t t = from; t < from + count; ++t)
            p.valueReady(Interval::Second, FieldValue{t, static_cast<double>(t - kT0) + 0.25, -1.5, std::nan("")});
    }

    // The one-second values received, by time, from every data message in order.
    static std::vector<std::int64_t> secondsReceived(const Messages& messages) {
        std::vector<std::int64_t> times;
        for (const auto& [topic, payload] : messages) {
            if (topic != "impf/abc/pt1s/1/xyzs") continue;
            std::string problem;
            const auto p = ImpfPayload::parse(Interval::Second, payload, problem);
            EXPECT_TRUE(p) << problem;
            if (!p) continue;
            for (std::size_t i = 0; i < p->size(); ++i) {
                const std::int64_t t = p->start + static_cast<std::int64_t>(i);
                EXPECT_DOUBLE_EQ(p->x[i], static_cast<double>(t - kT0) + 0.25);
                EXPECT_DOUBLE_EQ(p->y[i], -1.5);
                EXPECT_TRUE(std::isnan(p->z[i]));
                times.push_back(t);
            }
        }
        return times;
    }

    // The messages without exact copies of one received before.
    static Messages withoutRepeats(const Messages& messages) {
        Messages first;
        for (const auto& message : messages)
            if (std::find(first.begin(), first.end(), message) == first.end()) first.push_back(message);
        return first;
    }

    static std::vector<std::int64_t> range(std::int64_t from, int count) {
        std::vector<std::int64_t> out;
        for (std::int64_t t = from; t < from + count; ++t) out.push_back(t);
        return out;
    }

    static std::size_t countFailures(StationPublisher& p, std::size_t atLeast) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (p.failedAttempts() < atLeast && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return p.failedAttempts();
    }

    NetworkTempDir dir;
};

TEST_F(TlsBroker, PublishesValuesStatusAndLogOverTls) {
    TestSubscriber subscriber(*broker_, {"impf/#", "zuva/#"});
    ASSERT_TRUE(subscriber.waitConnected());
    StationPublisher publisher(config());
    publisher.start();
    feedSeconds(publisher, kT0, 12);
    publisher.valueReady(Interval::Minute, FieldValue{kT0 - 30, 1, 2, 3});
    publisher.logLine("14.03.2026 10:20:42: Start", kT0 + 12);
    StationStatus status;
    status.time = kT0 + 12;
    status.recording = true;
    status.dataFile = "/data/20260314102030.zuv";
    status.lastSecond = kT0 + 11;
    publisher.setStatus(status);

    // 12 seconds at 5 a message: two messages now, the rest at stop.
    ASSERT_TRUE(subscriber.waitFor([](const Messages& m) {
        int data = 0, minute = 0, log = 0, state = 0;
        for (const auto& [topic, payload] : m) {
            data += topic == "impf/abc/pt1s/1/xyzs";
            minute += topic == "impf/abc/pt1m/1/xyzs";
            log += topic == "zuva/abc/log";
            state += topic == "zuva/abc/status";
        }
        return data == 2 && minute == 1 && log == 1 && state == 1;
    }));
    std::vector<std::string> lines;
    ASSERT_TRUE(waitLog(publisher, lines, [](const auto& l) { return !l.empty(); }));
    EXPECT_EQ(lines, (std::vector<std::string>{"MQTT publishing to 127.0.0.1:" + std::to_string(broker_->port()) +
                                               " (TLS) as abc"}));
    publisher.stop();
    ASSERT_TRUE(subscriber.waitFor([](const Messages& m) {
        return m.back().first == "zuva/abc/status" && m.back().second.find("offline") != std::string::npos;
    }));
    const auto messages = subscriber.messages();
    EXPECT_EQ(secondsReceived(messages), range(kT0, 12));
    for (const auto& [topic, payload] : messages) {
        if (topic == "zuva/abc/log") {
            EXPECT_EQ(payload, "14.03.2026 10:20:42: Start");
        }
        if (topic == "impf/abc/pt1m/1/xyzs") {
            EXPECT_EQ(payload,
                      "{\"startDate\":\"2026-03-14T10:20\",\"geomagneticFieldX\":[1.00],\"geomagneticFieldY\":[2.00],"
                      "\"geomagneticFieldZ\":[3.00],\"name\":\"Alpha\",\"sensorOrientation\":\"XYZ\","
                      "\"dataIntervalType\":\"1-minute (00:15-01:45)\"}");
        }
        if (topic == "zuva/abc/status" && payload.find("recording") != std::string::npos) {
            std::string problem;
            const auto json = JsonValue::parse(payload, problem);
            ASSERT_TRUE(json) << problem;
            EXPECT_EQ(json->member("dataFile")->string(), "/data/20260314102030.zuv");
            EXPECT_EQ(json->member("lastSecond")->string(), "2026-03-14T10:20:41");
            EXPECT_TRUE(json->member("diskDaysLeft")->isNull());
            EXPECT_TRUE(json->member("counters")->isObject());
        }
    }
    EXPECT_EQ(publisher.pending(), 0u);
}

TEST_F(TlsBroker, WrongPasswordGivesOneLineKeepsTheMessagesAndNeverShowsThePassword) {
    StationPublisher publisher(config("wrong-Pa55"));
    publisher.start();
    feedSeconds(publisher, kT0, 10);
    EXPECT_GE(countFailures(publisher, 3), 3u);
    std::vector<std::string> lines;
    publisher.drainLog([&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "MQTT broker 127.0.0.1:" + std::to_string(broker_->port()) +
                         " refused the login of user abc: wrong user name or password, or not authorised; "
                         "recording goes on, messages wait in " +
                         dir.file("queue") + " until the broker takes them"}));
    EXPECT_EQ(publisher.pending(), 2u);
    publisher.stop();
}

TEST_F(TlsBroker, UntrustedCertificateGivesOneLine) {
    auto c = config();
    c.mqtt.caFile = broker_->certificates().otherCa;
    StationPublisher publisher(c);
    publisher.start();
    feedSeconds(publisher, kT0, 5);
    EXPECT_GE(countFailures(publisher, 3), 3u);
    std::vector<std::string> lines;
    publisher.drainLog([&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "MQTT broker 127.0.0.1:" + std::to_string(broker_->port()) +
                         " TLS handshake failed: the broker's certificate is not signed by the CA in " +
                         c.mqtt.caFile + " or does not name 127.0.0.1; recording goes on, messages wait in " +
                         dir.file("queue") + " until the broker takes them"}));
    EXPECT_EQ(publisher.pending(), 1u);
    publisher.stop();
}

TEST_F(TlsBroker, ABrokerOutageLosesNothingAndSaysHowManyWentLate) {
    TestSubscriber subscriber(*broker_, {"impf/#"}, "outage-watcher");
    ASSERT_TRUE(subscriber.waitConnected());
    StationPublisher publisher(config());
    publisher.start();
    feedSeconds(publisher, kT0, 10);
    ASSERT_TRUE(subscriber.waitFor([](const Messages& m) { return m.size() == 2; }));
    std::vector<std::string> lines;
    ASSERT_TRUE(waitLog(publisher, lines, [&](const auto& l) { return l.size() == 1 && publisher.pending() == 0; }));

    broker_->stop();
    ASSERT_TRUE(waitLog(publisher, lines, [](const auto& l) { return l.size() == 2; }));
    EXPECT_EQ(lines[1].rfind("MQTT broker 127.0.0.1:" + std::to_string(broker_->port()) + " connection lost", 0), 0u)
        << lines[1];
    feedSeconds(publisher, kT0 + 10, 20);  // four messages while the broker is away
    EXPECT_EQ(publisher.pending(), 4u);
    broker_->start();
    ASSERT_TRUE(waitLog(publisher, lines, [](const auto& l) { return l.size() >= 3; }));
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[2].starts_with("MQTT broker 127.0.0.1:" + std::to_string(broker_->port()) + " back after "))
        << lines[2];
    EXPECT_TRUE(lines[2].ends_with(" s; 4 messages sent late")) << lines[2];
    ASSERT_TRUE(subscriber.waitFor([](const Messages& m) { return withoutRepeats(m).size() >= 6; }));
    // The broker keeps the watcher's session across its restart and may hand it a
    // message again whose acknowledgement the stop cut off (QoS 1 delivers at least
    // once): only exact copies of an earlier message are passed over.
    EXPECT_EQ(secondsReceived(withoutRepeats(subscriber.messages())), range(kT0, 30));
    publisher.stop();
}

TEST_F(TlsBroker, MessagesLeftByAnEarlierRunGoOutFirst) {
    {
        auto c = config();
        c.mqtt.port = testing::freeLoopbackPort();  // nobody listens there
        StationPublisher earlier(c);
        earlier.start();
        feedSeconds(earlier, kT0, 7);
        earlier.stop();  // the last two values go out as a short message at stop
        EXPECT_EQ(earlier.pending(), 2u);
    }
    TestSubscriber subscriber(*broker_, {"impf/#"});
    ASSERT_TRUE(subscriber.waitConnected());
    StationPublisher publisher(config());
    std::vector<std::string> lines;
    publisher.drainLog([&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{"MQTT queue holds 2 unsent messages from an earlier run; they go out first"}));
    publisher.start();
    feedSeconds(publisher, kT0 + 7, 5);
    ASSERT_TRUE(subscriber.waitFor([](const Messages& m) { return m.size() == 3; }));
    EXPECT_EQ(secondsReceived(subscriber.messages()), range(kT0, 12));
    publisher.stop();
}

TEST_F(TlsBroker, AKilledStationLeavesOfflineAsItsRetainedStatus) {
    const pid_t child = ::fork();
    if (child == 0) {
        StationPublisher station(config());
        station.start();
        StationStatus status;
        status.time = kT0;
        status.recording = true;
        station.setStatus(status);
        for (;;) ::pause();
    }
    ASSERT_GT(child, 0);
    {
        TestSubscriber watcher(*broker_, {"zuva/abc/status"});
        const bool recording = watcher.waitFor([](const Messages& m) {
            return !m.empty() && m.back().second.find("\"state\":\"recording\"") != std::string::npos;
        });
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_TRUE(recording);
        ASSERT_TRUE(watcher.waitFor([](const Messages& m) { return m.back().second == "{\"state\":\"offline\"}"; }));
    }
    // Retained: whoever looks later sees it too.
    TestSubscriber later(*broker_, {"zuva/abc/status"});
    ASSERT_TRUE(later.waitFor([](const Messages& m) { return !m.empty(); }));
    EXPECT_EQ(later.messages().front().second, "{\"state\":\"offline\"}");
}

}  // namespace
}  // namespace zuva::network

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "NetworkTempDir.h"
#include "network/ImpfPayload.h"
#include "network/ImpfTopic.h"
#include "network/MessageBatcher.h"
#include "network/UtcTime.h"

namespace zuva::network {
namespace {

using products::FieldValue;
using products::Interval;

const double kNaN = std::nan("");
// 2026-03-14T10:20:30 UTC
constexpr std::int64_t kT0 = 1773483630;

TEST(UtcTimeTest, CalendarAndIsoTextBothWays) {
    const auto t = UtcTime::fromEpoch(kT0);
    EXPECT_EQ(t.iso(true), "2026-03-14T10:20:30");
    EXPECT_EQ(t.iso(false), "2026-03-14T10:20");
    EXPECT_EQ(t.dayOfYear(), 73);
    EXPECT_EQ(UtcTime::parseIso("2026-03-14T10:20:30")->toEpoch(), kT0);
    EXPECT_EQ(UtcTime::parseIso("2024-02-29T23:59:59Z")->toEpoch(), 1709251199);
    EXPECT_EQ(UtcTime::fromEpoch(1709251199).dayOfYear(), 60);
    for (const char* bad : {"2026-02-29T00:00", "2026-03-14 10:20:30", "2026-13-01T00:00", "2026-03-14T24:00",
                            "2026-03-14T10:20:3", "", "x026-03-14T10:20"})
        EXPECT_FALSE(UtcTime::parseIso(bad)) << bad;
}

TEST(ImpfTopicTest, TopicsAreLowerCaseAndParseBack) {
    EXPECT_EQ(ImpfTopic::data("ABC", Interval::Second, 1), "impf/abc/pt1s/1/xyzs");
    EXPECT_EQ(ImpfTopic::data("ABC", Interval::Minute, 2), "impf/abc/pt1m/2/xyzs");
    EXPECT_EQ(ImpfTopic::status("ABC"), "zuva/abc/status");
    EXPECT_EQ(ImpfTopic::log("ABC"), "zuva/abc/log");
    const auto t = ImpfTopic::parse("impf/xyz/pt1m/1/xyzs");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->code, "xyz");
    EXPECT_EQ(t->interval, Interval::Minute);
    for (const char* bad : {"impf/abc/pt1h/1/xyzs", "impf/ABC/pt1s/1/xyzs", "impf/abc/pt1s/1", "impf/abcd/pt1s/1/xyzs",
                            "zuva/abc/status", "impf/abc/pt1s/9/xyzs", "impf/abc/pt1s/1/xyzs/extra"})
        EXPECT_FALSE(ImpfTopic::parse(bad)) << bad;
    EXPECT_EQ(ImpfTopic::statusCode("zuva/abc/status"), "abc");
    EXPECT_EQ(ImpfTopic::statusCode("zuva/abc/log"), "");
}

TEST(ImpfPayloadTest, SecondPayloadIsExactWithNullForMissing) {
    ImpfPayload p;
    p.start = kT0;
    p.x = {20873.951, kNaN};
    p.y = {-1545.1, -1545.2};
    p.z = {44848.5, 44848.456};
    EXPECT_EQ(p.compose(nullptr),
              "{\"startDate\":\"2026-03-14T10:20:30\",\"geomagneticFieldX\":[20873.95,null],"
              "\"geomagneticFieldY\":[-1545.10,-1545.20],\"geomagneticFieldZ\":[44848.50,44848.46]}");
}

TEST(ImpfPayloadTest, MinutePayloadWithMetadataIsExact) {
    ImpfPayload p;
    p.interval = Interval::Minute;
    p.start = kT0 - 30;
    p.x = {1.0};
    p.y = {2.0};
    p.z = {3.0};
    StationMetadata m;
    m.name = "Alpha \"North\"";
    m.institute = "Zuva";
    m.latitude = 47.5;
    m.longitude = 350.25;
    m.elevation = 612;
    EXPECT_EQ(p.compose(&m),
              "{\"startDate\":\"2026-03-14T10:20\",\"geomagneticFieldX\":[1.00],\"geomagneticFieldY\":[2.00],"
              "\"geomagneticFieldZ\":[3.00],\"name\":\"Alpha \\\"North\\\"\",\"institute\":\"Zuva\","
              "\"latitude\":47.5,\"longitude\":350.25,\"elevation\":612,\"sensorOrientation\":\"XYZ\","
              "\"dataIntervalType\":\"1-minute (00:15-01:45)\"}");
}

TEST(ImpfPayloadTest, ParseReadsWhatComposeWrites) {
    ImpfPayload p;
    p.start = kT0;
    p.x = {1.25, kNaN, 3};
    p.y = {4, 5, 6};
    p.z = {7, 8, kNaN};
    std::string problem;
    const auto back = ImpfPayload::parse(Interval::Second, p.compose(nullptr), problem);
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(back->start, kT0);
    ASSERT_EQ(back->size(), 3u);
    EXPECT_DOUBLE_EQ(back->x[0], 1.25);
    EXPECT_TRUE(std::isnan(back->x[1]));
    EXPECT_TRUE(std::isnan(back->z[2]));
    EXPECT_DOUBLE_EQ(back->y[2], 6);
}

struct BadPayload {
    const char* name;
    Interval interval;
    const char* json;
    const char* problem;
};

class ImpfPayloadRefusal : public ::testing::TestWithParam<BadPayload> {};

TEST_P(ImpfPayloadRefusal, SaysWhy) {
    std::string problem;
    EXPECT_FALSE(ImpfPayload::parse(GetParam().interval, GetParam().json, problem));
    EXPECT_EQ(problem, GetParam().problem);
}

const std::string kArrays = ",\"geomagneticFieldX\":[1],\"geomagneticFieldY\":[2],\"geomagneticFieldZ\":[3]}";
const std::string kMinuteWithSeconds = "{\"startDate\":\"2026-03-14T10:20:30\"" + kArrays;
const std::string kNoStart = "{\"x\":1" + kArrays;

INSTANTIATE_TEST_SUITE_P(
    Cases, ImpfPayloadRefusal,
    ::testing::Values(
        BadPayload{"NotJson", Interval::Second, "{\"startDate\":", "JSON value missing at character 14"},
        BadPayload{"Array", Interval::Second, "[1,2]", "the payload is no JSON object"},
        BadPayload{"NoStart", Interval::Second, kNoStart.c_str(), "no startDate"},
        BadPayload{"MinuteWithSeconds", Interval::Minute, kMinuteWithSeconds.c_str(),
                   "startDate 2026-03-14T10:20:30 is no time of a minute"},
        BadPayload{"NoZ", Interval::Second,
                   "{\"startDate\":\"2026-03-14T10:20:30\",\"geomagneticFieldX\":[1],\"geomagneticFieldY\":[2]}",
                   "no array geomagneticFieldZ"},
        BadPayload{"Lengths", Interval::Second,
                   "{\"startDate\":\"2026-03-14T10:20:30\",\"geomagneticFieldX\":[1,2],\"geomagneticFieldY\":[2],"
                   "\"geomagneticFieldZ\":[3]}",
                   "the arrays have different lengths"},
        BadPayload{"StringItem", Interval::Second,
                   "{\"startDate\":\"2026-03-14T10:20:30\",\"geomagneticFieldX\":[\"1\"],\"geomagneticFieldY\":[2],"
                   "\"geomagneticFieldZ\":[3]}",
                   "an item of geomagneticFieldX is neither a number nor null"},
        BadPayload{"Trailing", Interval::Second, "{} x", "text after the JSON value at character 4"},
        BadPayload{"Deep", Interval::Second,
                   "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]",
                   "JSON nested too deeply at character 34"}),
    [](const ::testing::TestParamInfo<BadPayload>& param) { return std::string(param.param.name); });

// The messages a station sends over a day boundary, with gaps and missing values.
std::vector<OutgoingMessage> batch(int secondsPerMessage, const std::vector<std::int64_t>& seconds,
                                   const std::vector<std::int64_t>& minutes) {
    std::vector<OutgoingMessage> out;
    StationMetadata meta;
    meta.name = "Alpha";
    meta.latitude = 10;
    MessageBatcher batcher("ABC", 1, secondsPerMessage, meta, [&](OutgoingMessage m) { out.push_back(m); });
    for (const auto t : seconds)
        batcher.valueReady(Interval::Second, FieldValue{t, static_cast<double>(t % 100), kNaN, -1.5});
    for (const auto t : minutes) batcher.valueReady(Interval::Minute, FieldValue{t, 1, 2, 3});
    batcher.flush();
    return out;
}

TEST(MessageBatcherTest, GroupsConsecutiveSecondsAndNeverCrossesADay) {
    const std::int64_t midnight = UtcTime::dayStart(kT0) + 86400;
    std::vector<std::int64_t> seconds;
    for (std::int64_t t = midnight - 5; t < midnight + 7; ++t) seconds.push_back(t);
    seconds.push_back(midnight + 20);  // after a gap
    const auto out = batch(4, seconds, {});
    std::vector<std::string> starts;
    std::vector<std::size_t> sizes;
    for (const auto& m : out) {
        EXPECT_EQ(m.topic, "impf/abc/pt1s/1/xyzs");
        std::string problem;
        const auto p = ImpfPayload::parse(Interval::Second, m.payload, problem);
        ASSERT_TRUE(p) << problem;
        EXPECT_EQ(m.dataTime, p->start);
        starts.push_back(UtcTime::fromEpoch(p->start).iso(true));
        sizes.push_back(p->size());
    }
    EXPECT_EQ(starts, (std::vector<std::string>{"2026-03-14T23:59:55", "2026-03-14T23:59:59", "2026-03-15T00:00:00",
                                                "2026-03-15T00:00:04", "2026-03-15T00:00:20"}));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 1, 4, 3, 1}));
    // Metadata with the first message of each day only.
    std::vector<bool> named;
    for (const auto& m : out) named.push_back(m.payload.find("\"name\":\"Alpha\"") != std::string::npos);
    EXPECT_EQ(named, (std::vector<bool>{true, false, true, false, false}));
}

TEST(MessageBatcherTest, EveryMinuteGoesOutAtOnce) {
    const std::int64_t minute = kT0 - 30;
    const auto out = batch(10, {}, {minute, minute + 60});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].topic, "impf/abc/pt1m/1/xyzs");
    EXPECT_NE(out[0].payload.find("\"startDate\":\"2026-03-14T10:20\""), std::string::npos);
    EXPECT_NE(out[0].payload.find("\"dataIntervalType\":\"1-minute (00:15-01:45)\""), std::string::npos);
    EXPECT_NE(out[1].payload.find("\"startDate\":\"2026-03-14T10:21\""), std::string::npos);
    EXPECT_EQ(out[1].payload.find("\"name\""), std::string::npos);
}

// Every kind of message the station sends validates against INTERMAGNET's schema.
TEST(ImpfSchemaTest, EveryMessageValidatesAgainstTheSchema) {
    std::vector<std::int64_t> seconds;
    for (std::int64_t t = kT0; t < kT0 + 25; ++t) seconds.push_back(t);
    auto messages = batch(10, seconds, {kT0 - 30, kT0 + 30});
    const auto single = batch(1, {kT0}, {});
    messages.insert(messages.end(), single.begin(), single.end());
    testing::NetworkTempDir dir;
    std::string list;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const std::string file = dir.file("m" + std::to_string(i) + ".json");
        testing::writeText(file, messages[i].payload);
        list += " " + file;
    }
    // And one that must fail, so that the check itself is seen to work.
    testing::writeText(dir.file("bad.json"), "{\"startDate\":\"2026-03-14T10:20:30\",\"geomagneticFieldX\":[1]}");
    const std::string script = dir.file("check.py");
    testing::writeText(script,
                       "import json, sys\n"
                       "from jsonschema import Draft202012Validator\n"
                       "schema = json.load(open(sys.argv[1]))\n"
                       "v = Draft202012Validator(schema)\n"
                       "bad = [f for f in sys.argv[2:] if list(v.iter_errors(json.load(open(f))))]\n"
                       "print(' '.join(bad))\n");
    const std::string out = dir.file("out.txt");
    const std::string command = "python3 " + script + " " + ZUVA_SOURCE_DIR +
                                "/tests/network/imagmqtt-schema.json" + list + " " + dir.file("bad.json") +
                                " > " + out;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(testing::readText(out), dir.file("bad.json") + "\n");
    EXPECT_GE(messages.size(), 6u);
}

}  // namespace
}  // namespace zuva::network

namespace zuva::network {
namespace {

// A batch that a kill interrupts comes back from its journal at the next start.
TEST(MessageBatcherTest, TheValuesOfAnUnsentBatchSurviveARestart) {
    testing::NetworkTempDir dir;
    const std::string journal = dir.file("batch");
    std::vector<OutgoingMessage> out;
    const auto sink = [&](OutgoingMessage m) { out.push_back(m); };
    {
        MessageBatcher first("ABC", 1, 10, {}, sink, journal);
        for (std::int64_t t = kT0; t < kT0 + 13; ++t)
            first.valueReady(Interval::Second, FieldValue{t, 0.1 * static_cast<double>(t - kT0), kNaN, 1e-3});
        ASSERT_EQ(out.size(), 1u);  // 10 sent, 3 waiting when the program ends without a flush
    }
    MessageBatcher second("ABC", 1, 10, {}, sink, journal);
    second.valueReady(Interval::Second, FieldValue{kT0 + 13, 1.3, kNaN, 1e-3});
    second.flush();
    ASSERT_EQ(out.size(), 2u);
    std::string problem;
    const auto p = ImpfPayload::parse(Interval::Second, out[1].payload, problem);
    ASSERT_TRUE(p) << problem;
    EXPECT_EQ(p->start, kT0 + 10);
    ASSERT_EQ(p->size(), 4u);
    EXPECT_DOUBLE_EQ(p->x[0], 1.0);
    EXPECT_DOUBLE_EQ(p->x[3], 1.3);
    EXPECT_TRUE(std::isnan(p->y[2]));
    // Once sent, nothing of it is taken back again.
    out.clear();
    MessageBatcher third("ABC", 1, 10, {}, sink, journal);
    third.flush();
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace zuva::network

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "NetworkTempDir.h"
#include "network/CollectorArchive.h"
#include "network/ImpfPayload.h"
#include "network/StatusBoard.h"
#include "network/UtcTime.h"
#include "products/IagaChecker.h"
#include "products/IagaFileReader.h"

namespace zuva::network {
namespace {

using products::Interval;
using testing::NetworkTempDir;
using testing::readText;

const double kNaN = std::nan("");
constexpr std::int64_t kDay = 1773446400;  // 2026-03-14T00:00:00

std::string payload(std::int64_t start, std::vector<double> x, Interval interval = Interval::Second,
                    const StationMetadata* meta = nullptr) {
    ImpfPayload p;
    p.interval = interval;
    p.start = start;
    p.x = x;
    p.y = std::vector<double>(x.size(), -2.0);
    p.z = std::vector<double>(x.size(), 40000.5);
    return p.compose(meta);
}

struct CollectorArchiveTest : ::testing::Test {
    NetworkTempDir dir;
    std::vector<std::string> log;
    CollectorArchive archive{dir.path().string(), [this](const std::string& l) { log.push_back(l); }};
    std::string secondFile() const { return dir.file("abc/abc20260314vsec.sec"); }
    // The X column of the file's records, NaN for 99999.00.
    std::vector<double> xs(const std::string& path) const {
        std::vector<double> out;
        for (const auto& r : products::IagaFileReader::readFile(path).records) out.push_back(r.x);
        return out;
    }
    static bool same(const std::vector<double>& a, const std::vector<double>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
        return true;
    }
};

TEST_F(CollectorArchiveTest, WritesAnExactDayFileWithTheStationsHeader) {
    StationMetadata meta;
    meta.name = "Alpha";
    meta.institute = "Zuva Institute";
    meta.latitude = 47.25;
    meta.longitude = 350.5;
    meta.elevation = 612;
    ASSERT_TRUE(archive.message("impf/abc/pt1s/1/xyzs", payload(kDay, {1.5, kNaN}, Interval::Second, &meta)));
    EXPECT_EQ(readText(secondFile()),
              " Format                 IAGA-2002                                    |\n"
              " Source of Data         Zuva Institute                               |\n"
              " Station Name           Alpha                                        |\n"
              " IAGA Code              ABC                                          |\n"
              " Geodetic Latitude      47.250                                       |\n"
              " Geodetic Longitude     350.500                                      |\n"
              " Elevation              612                                          |\n"
              " Reported               XYZF                                         |\n"
              " Sensor Orientation     XYZ                                          |\n"
              " Digital Sampling       0.00390625 second                            |\n"
              " Data Interval Type     1-second                                     |\n"
              " Data Type              variation                                    |\n"
              "DATE       TIME         DOY     ABCX      ABCY      ABCZ      ABCF   |\n"
              "2026-03-14 00:00:00.000 073         1.50     -2.00  40000.50  88888.00\n"
              "2026-03-14 00:00:01.000 073     99999.00     -2.00  40000.50  88888.00\n");
    EXPECT_TRUE(products::IagaChecker::checkFile(secondFile()).empty());
    EXPECT_TRUE(log.empty());
}

TEST_F(CollectorArchiveTest, LateValuesFillTheGapAndRepeatsChangeNothing) {
    ASSERT_TRUE(archive.message("impf/abc/pt1s/1/xyzs", payload(kDay + 10, {10, 11})));
    EXPECT_TRUE(same(xs(secondFile()), {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, 10, 11}));
    // A late message and a repeat of the first, whose value differs: the first stays.
    ASSERT_TRUE(archive.message("impf/abc/pt1s/1/xyzs", payload(kDay + 2, {2, 3, 4})));
    ASSERT_TRUE(archive.message("impf/abc/pt1s/1/xyzs", payload(kDay + 10, {99, 11})));
    EXPECT_TRUE(same(xs(secondFile()), {kNaN, kNaN, 2, 3, 4, kNaN, kNaN, kNaN, kNaN, kNaN, 10, 11}));
    EXPECT_EQ(archive.counts().values, 5u);
    EXPECT_EQ(archive.counts().repeats, 2u);
    EXPECT_TRUE(products::IagaChecker::checkFile(secondFile()).empty());
}

TEST_F(CollectorArchiveTest, MinutesAndValuesAcrossMidnightGoToTheirDaysFiles) {
    ASSERT_TRUE(archive.message("impf/abc/pt1m/1/xyzs", payload(kDay + 120, {7}, Interval::Minute)));
    ASSERT_TRUE(archive.message("impf/abc/pt1s/2/xyzs", payload(kDay + 86399, {5, 6})));
    const std::string minutes = dir.file("abc/abc20260314vmin.min");
    EXPECT_TRUE(same(xs(minutes), {kNaN, kNaN, 7}));
    EXPECT_NE(readText(minutes).find("2026-03-14 00:02:00.000 073         7.00"), std::string::npos);
    EXPECT_TRUE(products::IagaChecker::checkFile(minutes).empty());
    // Level 2 is provisional data: files with the letter p.
    const auto day1 = xs(dir.file("abc/abc20260314psec.sec"));
    ASSERT_EQ(day1.size(), 86400u);
    EXPECT_EQ(day1.back(), 5);
    EXPECT_TRUE(same(xs(dir.file("abc/abc20260315psec.sec")), {6}));
}

TEST_F(CollectorArchiveTest, ARecordCutShortByACrashIsCutOffOnReopening) {
    {
        CollectorArchive first(dir.path().string(), [](const std::string&) {});
        ASSERT_TRUE(first.message("impf/abc/pt1s/1/xyzs", payload(kDay, {1, 2})));
    }
    const std::string whole = readText(secondFile());
    testing::writeText(secondFile(), whole + "2026-03-14 00:00:02.000 073     ");
    ASSERT_TRUE(archive.message("impf/abc/pt1s/1/xyzs", payload(kDay + 2, {3})));
    EXPECT_TRUE(same(xs(secondFile()), {1, 2, 3}));
    EXPECT_TRUE(products::IagaChecker::checkFile(secondFile()).empty());
}

TEST_F(CollectorArchiveTest, UnusableMessagesGetOneLinePerTopicAndChangeNothing) {
    EXPECT_FALSE(archive.message("impf/abc/pt1s/1/xyzs", "{\"startDate\":\"2026-03-14T00:00:00\"}"));
    EXPECT_FALSE(archive.message("impf/abc/pt1s/1/xyzs", "not json"));
    EXPECT_FALSE(archive.message("impf/xyz/pt1m/1/xyzs", payload(kDay + 30, {1})));  // not a whole minute
    EXPECT_FALSE(archive.message("impf/../pt1s/1/xyzs", payload(kDay, {1})));        // no station code
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Message on impf/abc/pt1s/1/xyzs not used: no array geomagneticFieldX",
                       "Message on impf/xyz/pt1m/1/xyzs not used: startDate 2026-03-14T00:00:30 is no time of a minute"}));
    EXPECT_EQ(archive.counts().refused, 3u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("abc")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("xyz")));
}

TEST(StatusBoardTest, OneLinePerStationWithStateLastSecondAndLag) {
    StatusBoard board;
    EXPECT_TRUE(board.message("zuva/xyz/status", "{\"state\":\"offline\"}"));
    EXPECT_TRUE(board.message("zuva/abc/status",
                              "{\"state\":\"recording\",\"lastSecond\":\"2026-03-14T10:20:41\",\"mqttBacklog\":0}"));
    EXPECT_TRUE(board.message("zuva/def/status", "{broken"));
    EXPECT_FALSE(board.message("impf/abc/pt1s/1/xyzs", "{}"));
    EXPECT_EQ(board.lines(UtcTime::parseIso("2026-03-14T10:20:44")->toEpoch()),
              (std::vector<std::string>{"abc  recording  last second 2026-03-14T10:20:41  lag 3 s  waiting 0 messages",
                                        "def  unreadable status (member name expected in a JSON object at character 2)",
                                        "xyz  offline  no second recorded"}));
}

}  // namespace
}  // namespace zuva::network

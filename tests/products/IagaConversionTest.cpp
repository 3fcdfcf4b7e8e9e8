#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "ProductsTestDir.h"
#include "ZuvTestFiles.h"
#include "fakes/RecordingLog.h"
#include "products/IagaChecker.h"
#include "products/IagaConversion.h"
#include "products/IagaFileReader.h"
#include "products/IagaFormat.h"
#include "products/MinuteFilterCoefficients.h"

namespace zuva::products {
namespace {

using testing::ProductsTestDir;
using testing::readText;
using testing::writeText;
using testing::writeZuv;

constexpr std::int64_t kDay = 1773446400;  // 2026-03-14 00:00:00 UTC
const double kPi = std::numbers::pi;

double slowSine(double t) { return 2000.0 + 100.0 * std::sin(2 * kPi * (t - kDay) / 600.0 + 0.4); }
double fastSine(double t) { return 10.0 * std::sin(2 * kPi * 2.5 * (t - kDay) + 0.9); }

settings::StationSettings abc() {
    settings::StationSettings s;
    s.iagaCode = "ABC";
    s.name = "Abc Valley";
    s.institute = "Zuva Institute";
    return s;
}

class IagaConversionTest : public ::testing::Test {
protected:
    IagaConversion::Result convert(std::vector<std::string> inputs, std::optional<settings::StationSettings> station = abc(),
                                   const std::string& out = "") {
        IagaConversion::Request r;
        r.inputs = std::move(inputs);
        r.station = std::move(station);
        r.outDir = out.empty() ? outDir() : out;
        return IagaConversion(log).run(r);
    }
    std::string outDir() {
        const std::string d = dir.file("out");
        std::filesystem::create_directories(d);
        return d;
    }
    std::string out(const std::string& name) { return outDir() + "/" + name; }
    static std::string violations(const std::string& path) {
        std::string text;
        for (const IagaViolation& v : IagaChecker::checkFile(path)) text += std::to_string(v.line) + ": " + v.message + "\n";
        return text;
    }

    ProductsTestDir dir;
    fakes::RecordingLog log;
};

class OneSecondFromDataFiles : public IagaConversionTest, public ::testing::WithParamInterface<int> {};

TEST_P(OneSecondFromDataFiles, SlowSineAtTheSecondAndFastSineStopped) {
    const int rate = GetParam();
    const std::int64_t start = kDay + 3600;
    writeZuv(dir.file("slow.zuv"), start, rate, 300, slowSine);
    const auto result = convert({dir.file("slow.zuv")}, abc(), outDir());
    ASSERT_EQ(result.written, (std::vector<std::string>{out("abc20260314vsec.sec"), out("abc20260314vmin.min")}));
    EXPECT_EQ(violations(out("abc20260314vsec.sec")), "");
    EXPECT_EQ(violations(out("abc20260314vmin.min")), "");
    const IagaFile slow = IagaFileReader::readFile(out("abc20260314vsec.sec"));
    ASSERT_EQ(slow.records.size(), 86400u);
    int inner = 0;
    for (const FieldValue& v : slow.records) {
        if (v.time < start + 12 || v.time > start + 300 - 13) {
            if (v.time < start || v.time > start + 312) {
                ASSERT_TRUE(std::isnan(v.x)) << v.time - kDay;
            }
            continue;
        }
        ++inner;
        ASSERT_NEAR(v.x, slowSine(static_cast<double>(v.time)), 0.02) << v.time - kDay;
        ASSERT_NEAR(v.y, -slowSine(static_cast<double>(v.time)), 0.02) << v.time - kDay;
        ASSERT_NEAR(v.z, 2 * slowSine(static_cast<double>(v.time)), 0.02) << v.time - kDay;
    }
    EXPECT_EQ(inner, 276);

    writeZuv(dir.file("fast.zuv"), start, rate, 120, fastSine);
    const std::string fastOut = dir.file("fast");
    std::filesystem::create_directories(fastOut);
    convert({dir.file("fast.zuv")}, abc(), fastOut);
    const IagaFile fast = IagaFileReader::readFile(fastOut + "/abc20260314vsec.sec");
    int damped = 0;
    for (const FieldValue& v : fast.records) {
        if (v.time < start + 12 || v.time > start + 120 - 13) continue;
        ++damped;
        ASSERT_LT(std::fabs(v.x), 0.1) << v.time - kDay;
        ASSERT_LT(std::fabs(v.z), 0.2) << v.time - kDay;
    }
    EXPECT_EQ(damped, 96);
}

INSTANTIATE_TEST_SUITE_P(Rates, OneSecondFromDataFiles, ::testing::Values(1, 64, 256),
                         [](const ::testing::TestParamInfo<int>& p) { return "At" + std::to_string(p.param) + "Hz"; });

TEST_F(IagaConversionTest, MinuteValuesAreTheTabulatedFilterOverTheWrittenSeconds) {
    // Seconds with gaps, so that some minutes fall under the 90 % rule.
    writeZuv(dir.file("a.zuv"), kDay + 600, 4, 1200, slowSine,
             [](std::int64_t t) { return (t - kDay) % 300 < 20 || (t - kDay) % 97 == 0; });
    convert({dir.file("a.zuv")});
    const IagaFile sec = IagaFileReader::readFile(out("abc20260314vsec.sec"));
    const IagaFile min = IagaFileReader::readFile(out("abc20260314vmin.min"));
    ASSERT_EQ(min.records.size(), 1440u);
    int computed = 0, missing = 0;
    for (const FieldValue& m : min.records) {
        double sum = 0, weight = 0;
        for (int k = -45; k <= 45; ++k) {
            const std::int64_t t = m.time + k;
            if (t < kDay || t >= kDay + 86400) continue;
            const double v = sec.records[static_cast<std::size_t>(t - kDay)].x;
            if (std::isnan(v)) continue;
            sum += MinuteFilterCoefficients::weight(k) * v;
            weight += MinuteFilterCoefficients::weight(k);
        }
        if (weight >= 0.9 * 1.0000019) {
            ++computed;
            ASSERT_NEAR(m.x, sum / weight, 0.01) << m.time - kDay;
        } else {
            ++missing;
            ASSERT_TRUE(std::isnan(m.x)) << m.time - kDay;
        }
    }
    EXPECT_GT(computed, 10);
    EXPECT_GT(missing, 1400);
}

TEST_F(IagaConversionTest, ADayJoinedFromHourlyFilesAndAcrossMidnight) {
    // 22:00 to 01:00 in three hourly files, given out of order.
    writeZuv(dir.file("h23.zuv"), kDay + 23 * 3600, 2, 3600, slowSine);
    writeZuv(dir.file("h00.zuv"), kDay + 86400, 2, 3600, slowSine);
    writeZuv(dir.file("h22.zuv"), kDay + 22 * 3600, 2, 3600, slowSine);
    const auto result = convert({dir.file("h00.zuv"), dir.file("h23.zuv"), dir.file("h22.zuv")});
    EXPECT_EQ(result.written,
              (std::vector<std::string>{out("abc20260314vsec.sec"), out("abc20260314vmin.min"),
                                        out("abc20260315vsec.sec"), out("abc20260315vmin.min")}));
    EXPECT_TRUE(result.warnings.empty());
    for (const std::string& f : result.written) EXPECT_EQ(violations(f), "") << f;
    const IagaFile day1 = IagaFileReader::readFile(out("abc20260314vsec.sec"));
    const IagaFile day2 = IagaFileReader::readFile(out("abc20260315vsec.sec"));
    ASSERT_EQ(day2.records.size(), 86400u);
    // Around the hour and around midnight every second has its value.
    for (std::int64_t t = kDay + 23 * 3600 - 20; t < kDay + 86400; ++t)
        ASSERT_NEAR(day1.records[static_cast<std::size_t>(t - kDay)].x, slowSine(static_cast<double>(t)), 0.02) << t - kDay;
    for (std::int64_t t = kDay + 86400; t < kDay + 86400 + 20; ++t)
        ASSERT_NEAR(day2.records[static_cast<std::size_t>(t - kDay - 86400)].x, slowSine(static_cast<double>(t)), 0.02);
    EXPECT_TRUE(std::isnan(day1.records[22 * 3600 - 1].x));
    EXPECT_TRUE(std::isnan(day2.records[3600 + 20].x));
    const IagaFile min2 = IagaFileReader::readFile(out("abc20260315vmin.min"));
    EXPECT_FALSE(std::isnan(min2.records[0].x));  // 00:00 from 23:59:15 .. 00:00:45
}

TEST_F(IagaConversionTest, AnIagaOneSecondFileGivesTheSameMinutes) {
    writeZuv(dir.file("a.zuv"), kDay + 100, 8, 900, slowSine);
    convert({dir.file("a.zuv")});
    const std::string again = dir.file("again");
    std::filesystem::create_directories(again);
    IagaConversion::Request r;
    r.inputs = {out("abc20260314vsec.sec")};
    r.outDir = again;
    const auto result = IagaConversion(log).run(r);
    ASSERT_EQ(result.written.size(), 2u);
    EXPECT_EQ(readText(again + "/abc20260314vsec.sec"), readText(out("abc20260314vsec.sec")));
    const IagaFile a = IagaFileReader::readFile(out("abc20260314vmin.min"));
    const IagaFile b = IagaFileReader::readFile(again + "/abc20260314vmin.min");
    ASSERT_EQ(a.records.size(), b.records.size());
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        if (std::isnan(a.records[i].x)) {
            EXPECT_TRUE(std::isnan(b.records[i].x));
            continue;
        }
        EXPECT_NEAR(a.records[i].x, b.records[i].x, 0.01 + 1e-9) << i;
    }
    // The header of the IAGA-2002 input names the station.
    EXPECT_EQ(b.header.stationName, "Abc Valley");
}

TEST_F(IagaConversionTest, PositionFromTheDataFileWhenTheSettingsHaveNone) {
    writeZuv(dir.file("a.zuv"), kDay, 1, 60, slowSine, nullptr, "4807.0380N");
    convert({dir.file("a.zuv")}, abc(), "");
    const IagaFile f = IagaFileReader::readFile(out("abc20260314vmin.min"));
    EXPECT_EQ(f.header.latitude, "48.117");
    EXPECT_EQ(f.header.longitude, "11.517");
    EXPECT_EQ(f.header.elevation, "545");
}

struct Refusal {
    const char* name;
    std::function<std::vector<std::string>(const ProductsTestDir&)> inputs;
    bool withStation;
    std::string message;  // with "DIR" for the directory
    IagaConversionError::Kind kind;
};

class IagaConversionRefuses : public IagaConversionTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(IagaConversionRefuses, WithAMessageAndNoFileWritten) {
    const Refusal& c = GetParam();
    const auto inputs = c.inputs(dir);
    try {
        convert(inputs, c.withStation ? std::optional(abc()) : std::nullopt);
        FAIL() << "converted";
    } catch (const IagaConversionError& e) {
        std::string expected = c.message;
        for (std::size_t at; (at = expected.find("DIR")) != std::string::npos;) expected.replace(at, 3, dir.path());
        EXPECT_EQ(std::string(e.what()), expected);
        EXPECT_EQ(e.kind(), c.kind);
    }
    EXPECT_TRUE(std::filesystem::is_empty(outDir()));
}

std::string iagaOf(const ProductsTestDir& d, const std::string& name, const std::string& code, Interval interval) {
    IagaHeader h;
    h.iagaCode = code;
    h.intervalType = IagaFormat::intervalTypeText(interval);
    writeText(d.file(name), IagaFormat::headerText(h) + IagaFormat::dataRecord({kDay, 1, 2, 3}) +
                                IagaFormat::dataRecord({kDay + IagaFormat::step(interval), 1, 2, 3}));
    return d.file(name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IagaConversionRefuses,
    ::testing::Values(
        Refusal{"Missing", [](const ProductsTestDir& d) { return std::vector<std::string>{d.file("none.zuv")}; }, true,
                "DIR/none.zuv: not found", IagaConversionError::Kind::Unreadable},
        Refusal{"Garbage",
                [](const ProductsTestDir& d) {
                    writeText(d.file("g.txt"), "hello\n");
                    return std::vector<std::string>{d.file("g.txt")};
                },
                true,
                "DIR/g.txt: neither a data file nor IAGA-2002 (line 1: neither a header record (label from column 2, "
                "value from column 25) nor the column header)",
                IagaConversionError::Kind::BadInput},
        Refusal{"DifferentStations",
                [](const ProductsTestDir& d) {
                    return std::vector<std::string>{iagaOf(d, "a.sec", "ABC", Interval::Second),
                                                    iagaOf(d, "b.sec", "XYZ", Interval::Second)};
                },
                false, "files of different stations: DIR/a.sec has ABC, DIR/b.sec has XYZ",
                IagaConversionError::Kind::BadInput},
        Refusal{"StationOfTheSettings",
                [](const ProductsTestDir& d) {
                    return std::vector<std::string>{iagaOf(d, "b.sec", "XYZ", Interval::Second)};
                },
                true, "files of different stations: the settings has ABC, DIR/b.sec has XYZ",
                IagaConversionError::Kind::BadInput},
        Refusal{"NoIagaCode",
                [](const ProductsTestDir& d) {
                    writeZuv(d.file("a.zuv"), kDay, 1, 10, slowSine);
                    return std::vector<std::string>{d.file("a.zuv")};
                },
                false,
                "no IAGA code: give --config with a settings file whose section \"Station\" sets IagaCode",
                IagaConversionError::Kind::BadInput},
        Refusal{"MinuteInput",
                [](const ProductsTestDir& d) {
                    return std::vector<std::string>{iagaOf(d, "a.min", "ABC", Interval::Minute)};
                },
                true, "DIR/a.min: not a one-second IAGA-2002 file; only those can be converted",
                IagaConversionError::Kind::BadInput},
        Refusal{"OnlyPcClock",
                [](const ProductsTestDir& d) {
                    writeZuv(d.file("20260314000000_.zuv"), kDay, 1, 10, slowSine);
                    return std::vector<std::string>{d.file("20260314000000_.zuv")};
                },
                true, "none of the input files holds data to convert", IagaConversionError::Kind::BadInput}),
    [](const ::testing::TestParamInfo<Refusal>& p) { return std::string(p.param.name); });

TEST_F(IagaConversionTest, AnOutputThatCannotBeWrittenLeavesNothingUnderItsName) {
    writeZuv(dir.file("a.zuv"), kDay, 1, 100, slowSine);
    try {
        convert({dir.file("a.zuv")}, abc(), dir.file("no-such-dir"));
        FAIL() << "written";
    } catch (const IagaConversionError& e) {
        EXPECT_EQ(std::string(e.what()),
                  dir.file("no-such-dir") + "/abc20260314vsec.sec: cannot be created (No such file or directory)");
        EXPECT_EQ(e.kind(), IagaConversionError::Kind::Unreadable);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-dir")));
}

TEST_F(IagaConversionTest, PcClockFilesAreLeftOutWithAWarning) {
    writeZuv(dir.file("20260314000000_.zuv"), kDay, 1, 10, slowSine);
    writeZuv(dir.file("20260314010000.zuv"), kDay + 3600, 1, 10, slowSine);
    const auto result = convert({dir.file("20260314000000_.zuv"), dir.file("20260314010000.zuv")});
    EXPECT_EQ(result.warnings, (std::vector<std::string>{dir.file("20260314000000_.zuv") +
                                                         ": left out, its times come from the PC clock, not from UTC"}));
    EXPECT_EQ(result.written.size(), 2u);
}

}  // namespace
}  // namespace zuva::products

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "FilterSignals.h"
#include "ProductsTestDir.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/RecordingLog.h"
#include "products/CompletedSecondFeed.h"
#include "products/IagaChecker.h"
#include "products/IagaFileReader.h"
#include "products/IagaProducts.h"

namespace zuva::products {
namespace {

using testing::CollectingListener;
using testing::ProductsTestDir;

constexpr std::int64_t kDay = 1773446400;  // 2026-03-14 00:00:00 UTC

// A completed second at 4 Hz, gain 10, 0.5 nT per bit: stored group sums of 64
// samples, so a stored value v is v * 0.5 / 10 / 64 nT.
struct Second {
    recording::SecondRecord record;
    acquisition::CompletedSecond second;
    Second(int hour, int minute, int sec, std::int32_t stored, bool pcClock = false) {
        record.tripleCount = 4;
        record.hour = static_cast<std::uint8_t>(hour);
        record.minute = static_cast<std::uint8_t>(minute);
        record.second = static_cast<std::uint8_t>(sec);
        for (std::size_t k = 0; k < 4; ++k) {
            record.bx[k] = stored;
            record.by[k] = -stored;
            record.bz[k] = 2 * stored;
        }
        second.date = {2026, 3, 14};
        second.time = {hour, minute, sec};
        second.pcClock = pcClock;
        second.averaging = 64;
        second.sensitivity = 0.5;
        second.gain = 10;
        second.record = &record;
    }
};

TEST(CompletedSecondFeed, TakesTheInstrumentTimeAsUtcAndTheValuesInNanotesla) {
    fakes::RecordingLog log;
    FilterChain chain(&log);
    CollectingListener values;
    chain.addListener(values, "values");
    CompletedSecondFeed feed(chain, log);
    for (int s = 0; s < 40; ++s) feed.secondCompleted(Second(10, 0, s, 128000).second);
    chain.finish();
    ASSERT_EQ(values.seconds.size(), 52u);
    EXPECT_EQ(values.seconds[0].time, kDay + 36000);
    EXPECT_NEAR(values.seconds[20].x, 100.0, 1e-9);  // 128000 * 0.5 / 10 / 64
    EXPECT_NEAR(values.seconds[20].y, -100.0, 1e-9);
    EXPECT_NEAR(values.seconds[20].z, 200.0, 1e-9);
    EXPECT_TRUE(log.lines.empty());
}

TEST(CompletedSecondFeed, LeavesOutPcClockAndEarlierSecondsWithOneLogLineEach) {
    fakes::RecordingLog log;
    FilterChain chain(&log);
    CollectingListener values;
    chain.addListener(values, "values");
    CompletedSecondFeed feed(chain, log);
    feed.secondCompleted(Second(10, 0, 0, 64).second);
    feed.secondCompleted(Second(10, 0, 1, 64, true).second);
    feed.secondCompleted(Second(10, 0, 2, 64, true).second);
    feed.secondCompleted(Second(9, 0, 0, 64).second);
    feed.secondCompleted(Second(9, 0, 1, 64).second);
    feed.secondCompleted(Second(10, 0, 3, 64).second);
    chain.finish();
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{
                  "IAGA-2002: the instrument clock is not set; seconds timed by the PC clock are left out of the "
                  "IAGA-2002 values",
                  "IAGA-2002: second 2026 03 14 09 00 00 is not later than the last second taken (the instrument "
                  "clock went back); such seconds are left out of the IAGA-2002 values"}));
    ASSERT_FALSE(values.seconds.empty());
    EXPECT_EQ(values.seconds.front().time, kDay + 36000);
    EXPECT_EQ(values.seconds.back().time, kDay + 36003 + 12);
}

TEST(IagaProducts, WritesTheDayFilesIntoTheOutputDirectoryWhenAskedTo) {
    ProductsTestDir dir;
    fakes::FailingFileSystem fs;
    fakes::RecordingLog log;
    settings::StationSettings station;
    station.iagaCode = "ABC";
    station.iagaOutput = true;
    station.dataType = "provisional";
    CollectingListener publisher;  // outlives the products, which hand it their last values
    {
        IagaProducts products({fs, log, [] { return PositionTexts{"4807.0380N", "01131.0000E", "545.4"}; }}, station);
        ASSERT_NE(products.listener(), nullptr);
        EXPECT_TRUE(products.writesFiles());
        products.setOutputDirectory(dir.path());
        products.chain().addListener(publisher, "publisher");
        for (int s = 0; s < 100; ++s) products.listener()->secondCompleted(Second(10, 0, s, 128000).second);
        EXPECT_EQ(publisher.seconds.size(), 89u);
        EXPECT_EQ(publisher.minutes.size(), 1u);  // 10:00, once 10:00:45 is out
    }
    // The end hands out the last values.
    const std::string sec = dir.file("abc20260314psec.sec");
    const IagaFile f = IagaFileReader::readFile(sec);
    EXPECT_EQ(publisher.seconds.size(), 112u);
    ASSERT_EQ(f.records.size(), 36000u + 112u);
    EXPECT_NEAR(f.records[36050].x, 100.0, 1e-9);
    EXPECT_EQ(f.header.latitude, "48.117");
    EXPECT_TRUE(IagaChecker::checkFile(sec).empty());
    EXPECT_TRUE(IagaChecker::checkFile(dir.file("abc20260314pmin.min")).empty());
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();
}

TEST(IagaProducts, WithoutACodeNothingListensAndWithoutIagaOutputNoFilesAreWritten) {
    fakes::FailingFileSystem fs;
    fakes::RecordingLog log;
    settings::StationSettings station;
    station.iagaOutput = true;
    IagaProducts none({fs, log, nullptr}, station);
    EXPECT_EQ(none.listener(), nullptr);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"IAGA-2002 files are not written: the section \"Station\" sets no IagaCode"}));

    ProductsTestDir dir;
    CollectingListener publisher;
    station.iagaCode = "ABC";
    station.iagaOutput = false;
    IagaProducts valuesOnly({fs, log, nullptr}, station);
    valuesOnly.setOutputDirectory(dir.path());
    ASSERT_NE(valuesOnly.listener(), nullptr);
    EXPECT_FALSE(valuesOnly.writesFiles());
    valuesOnly.chain().addListener(publisher, "publisher");
    for (int s = 0; s < 30; ++s) valuesOnly.listener()->secondCompleted(Second(10, 0, s, 64).second);
    EXPECT_EQ(publisher.seconds.size(), 19u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace zuva::products

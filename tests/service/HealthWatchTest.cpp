// The disk-space and clock-offset watches, driven with constructed seconds and an
// injected clock and free space.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/CompletedSecond.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileSink.h"
#include "service/ClockOffsetWatch.h"
#include "service/DiskSpaceWatch.h"

namespace zuva::service {
namespace {

using Lines = std::vector<std::string>;

class Seconds {
public:
    // Second `n` after 2024-06-30 23:59:58 (crossing midnight at n = 2).
    acquisition::CompletedSecond at(std::int64_t n, std::uint16_t averaging = 4) {
        const std::int64_t base = ClockOffsetWatch::epochSeconds({2024, 6, 30}, {23, 59, 58}) + n;
        const std::int64_t day = base / 86400;
        const int sod = static_cast<int>(base % 86400);
        acquisition::CompletedSecond s;
        s.date = day == ClockOffsetWatch::epochSeconds({2024, 6, 30}, {0, 0, 0}) / 86400
                     ? acquisition::FrameDate{2024, 6, 30}
                     : acquisition::FrameDate{2024, 7, 1};
        s.time = {sod / 3600, sod / 60 % 60, sod % 60};
        s.averaging = averaging;
        s.record = &record_;
        return s;
    }
    static double epoch(std::int64_t n) {
        return static_cast<double>(ClockOffsetWatch::epochSeconds({2024, 6, 30}, {23, 59, 58}) + n);
    }

private:
    recording::SecondRecord record_;
};

TEST(ClockOffsetWatch, InstrumentSecondsAreCountedFromTheCalendar) {
    EXPECT_EQ(ClockOffsetWatch::epochSeconds({2000, 1, 1}, {0, 0, 0}), 946684800);
    EXPECT_EQ(ClockOffsetWatch::epochSeconds({2024, 2, 29}, {12, 34, 56}), 1709210096);
}

TEST(ClockOffsetWatch, LogsTheFirstOffsetThenOnlyMovesOfMoreThanASecondAndClockSteps) {
    fakes::RecordingLog log;
    double pc = 0;
    ClockOffsetWatch watch(log, [&pc] { return pc; });
    Seconds seconds;
    std::vector<double> measured;
    watch.setOnMeasured([&measured](double offset) { measured.push_back(offset); });
    EXPECT_EQ(watch.offset(), std::nullopt);

    // Each second completes 0.120 s after its end by the PC's clock.
    for (int n = 0; n < 4; ++n) {
        pc = Seconds::epoch(n) + 1.120;
        watch.secondCompleted(seconds.at(n));
    }
    ASSERT_TRUE(watch.offset().has_value());
    EXPECT_NEAR(*watch.offset(), 0.120, 1e-6);
    EXPECT_EQ(log.lines, (Lines{"Clock offset: PC minus instrument +0.120 s"}));

    // The PC clock drifts by 0.9 s: no line; by 1.2 s from the last logged: one line.
    pc = Seconds::epoch(4) + 1.0 + 1.020;
    watch.secondCompleted(seconds.at(4));
    pc = Seconds::epoch(5) + 1.0 + 1.330;
    watch.secondCompleted(seconds.at(5));
    pc = Seconds::epoch(6) + 1.0 + 1.340;
    watch.secondCompleted(seconds.at(6));
    EXPECT_EQ(log.lines, (Lines{"Clock offset: PC minus instrument +0.120 s",
                                "Warning: clock offset moved: PC minus instrument +1.330 s, was +0.120 s"}));

    // The instrument's clock jumps 10 s ahead while the PC sees one second pass.
    log.clear();
    pc += 1.0;
    watch.secondCompleted(seconds.at(17));
    EXPECT_EQ(log.lines, (Lines{"Warning: instrument clock stepped by +10 s at 2024 07 01 00 00 15"}));
    EXPECT_NEAR(*watch.offset(), -8.660, 1e-6);

    // A gap of the port (instrument and PC both move 30 s) is no step.
    log.clear();
    pc += 30.0;
    watch.secondCompleted(seconds.at(47));
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();

    // Seconds stamped with the PC clock are not measured.
    const std::size_t count = measured.size();
    auto stamped = seconds.at(48);
    stamped.pcClock = true;
    watch.secondCompleted(stamped);
    EXPECT_EQ(measured.size(), count);
    EXPECT_EQ(measured.size(), 9u);
}

TEST(ClockOffsetWatch, OffsetTextHasSignAndMilliseconds) {
    EXPECT_EQ(ClockOffsetWatch::offsetText(0.0), "+0.000 s");
    EXPECT_EQ(ClockOffsetWatch::offsetText(-0.0001), "+0.000 s");
    EXPECT_EQ(ClockOffsetWatch::offsetText(-2.5), "-2.500 s");
    EXPECT_EQ(ClockOffsetWatch::offsetText(12.3456), "+12.346 s");
}

TEST(DiskSpaceWatch, LogsTheDaysLeftAtStartAndWarnsOnceBelowSevenDays) {
    fakes::RecordingLog log;
    std::optional<std::uint64_t> free;
    std::vector<std::string> asked;
    // 64 Hz: 4 + 12 * 64 = 772 bytes a second, 66 700 800 bytes a day.
    const std::uint64_t day = 772ull * 86400;
    DiskSpaceWatch watch(
        log,
        [&](const std::string& directory) {
            asked.push_back(directory);
            return free;
        },
        [] { return std::string("/srv/zuva/site"); }, 772);
    free = day * 100;
    EXPECT_EQ(watch.check(), 100.0);
    EXPECT_EQ(watch.daysLeft(), 100.0);
    EXPECT_EQ(asked, (Lines{"/srv/zuva/site"}));
    free = day * 13 / 2;
    EXPECT_EQ(watch.check(), 6.5);
    free = day * 3;
    EXPECT_EQ(watch.check(), 3.0);
    EXPECT_EQ(log.lines, (Lines{"Disk space: 100.0 days of recording left in /srv/zuva/site",
                                "Warning: disk space for only 6.5 days of recording left in /srv/zuva/site"}));
    // Space freed, then short again: warned again.
    free = day * 8;
    watch.check();
    free = day * 2;
    watch.check();
    EXPECT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines.back(), "Warning: disk space for only 2.0 days of recording left in /srv/zuva/site");
    // Unreadable: said once, no value.
    free.reset();
    EXPECT_EQ(watch.check(), std::nullopt);
    EXPECT_EQ(watch.check(), std::nullopt);
    EXPECT_EQ(watch.daysLeft(), std::nullopt);
    EXPECT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(log.lines.back(), "Error: free disk space not readable for /srv/zuva/site");
}

TEST(DiskSpaceWatch, ChecksEveryHourOfSecondsAtTheirRate) {
    fakes::RecordingLog log;
    int checks = 0;
    // 256 Hz: 4 + 12 * 256 = 3076 bytes a second.
    const std::uint64_t free = 3076ull * 86400 * 20;
    DiskSpaceWatch watch(
        log,
        [&](const std::string&) {
            ++checks;
            return std::optional<std::uint64_t>(free);
        },
        [] { return std::string(); }, 772);
    watch.check();
    EXPECT_EQ(checks, 1);
    Seconds seconds;
    for (int n = 0; n < 3599; ++n) watch.secondCompleted(seconds.at(n, 1));
    EXPECT_EQ(checks, 1);
    watch.secondCompleted(seconds.at(3599, 1));
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(watch.daysLeft(), 20.0);  // at the seconds' own rate
    EXPECT_EQ(log.lines, (Lines{"Disk space: 79.7 days of recording left in ."}));
}

}  // namespace
}  // namespace zuva::service

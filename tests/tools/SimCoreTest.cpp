#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/FrameEncoder.h"
#include "tools/sim/FieldModel.h"
#include "tools/sim/Instrument.h"
#include "tools/sim/InstrumentClock.h"
#include "tools/sim/PortRegistration.h"
#include "tools/sim/SimOptions.h"

namespace zuva::sim {
namespace {

bool same(const acquisition::FrameDateTime& a, const acquisition::FrameDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

TEST(InstrumentClockTest, MovesAcrossMidnightMonthsLeapDaysAndTheCentury) {
    struct Case {
        acquisition::FrameDateTime start;
        long long seconds;
        acquisition::FrameDateTime expected;
    };
    const std::vector<Case> cases{
        {{2005, 1, 11, 23, 59, 59}, 1, {2005, 1, 12, 0, 0, 0}},
        {{2024, 2, 28, 23, 59, 59}, 1, {2024, 2, 29, 0, 0, 0}},
        {{2023, 2, 28, 23, 59, 59}, 1, {2023, 3, 1, 0, 0, 0}},
        {{2024, 12, 31, 23, 59, 58}, 3, {2025, 1, 1, 0, 0, 1}},
        {{2099, 12, 31, 23, 59, 59}, 1, {2000, 1, 1, 0, 0, 0}},
        {{2024, 6, 30, 10, 20, 30}, 86400 * 2 + 3600 + 61, {2024, 7, 2, 11, 21, 31}},
    };
    for (const auto& c : cases) {
        const auto got = InstrumentClock(c.start).at(c.seconds);
        EXPECT_TRUE(same(got, c.expected)) << got.year << "-" << got.month << "-" << got.day << " " << got.hour << ":"
                                           << got.minute << ":" << got.second;
    }
}

TEST(SimOptionsTest, ParsesValuesAndRefusesNonsense) {
    const SimOptions o = parseSimOptions({"--name", "demo", "--start", "2005-01-11 23:59:58", "--rate-multiplier",
                                          "2.5", "--bad-checksum-every", "7", "--silent", "--no-gps"});
    EXPECT_EQ(o.name, "demo");
    ASSERT_TRUE(o.start.has_value());
    EXPECT_TRUE(same(*o.start, {2005, 1, 11, 23, 59, 58}));
    EXPECT_DOUBLE_EQ(o.rateMultiplier, 2.5);
    EXPECT_EQ(o.badChecksumEvery, 7);
    EXPECT_TRUE(o.silent);
    EXPECT_FALSE(o.gpsAvailable);
    EXPECT_DOUBLE_EQ(o.unplugAt, 0.0);
    EXPECT_DOUBLE_EQ(o.unplugFor, 0.0);
    const SimOptions unplugged = parseSimOptions({"--unplug-at", "4.5", "--unplug-for", "3"});
    EXPECT_DOUBLE_EQ(unplugged.unplugAt, 4.5);
    EXPECT_DOUBLE_EQ(unplugged.unplugFor, 3.0);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--start", "2005-02-30 00:00:00"}, {"--start", "1999-01-01 00:00:00"},
          {"--start", "2005-01-11T00:00:00"}, {"--seconds", "-1"}, {"--lose-end-count", "0"}, {"--name"},
          {"--name", ""}, {"--unplug-at", "2"}, {"--unplug-for", "2"}, {"--unplug-at", "0", "--unplug-for", "1"},
          {"--unplug-at", "1", "--unplug-for", "x"}}) {
        EXPECT_THROW(parseSimOptions(bad), std::invalid_argument) << bad[0];
    }
}

TEST(InstrumentTest, StreamsOnlyWithTransmitAndDataFramesSelected) {
    SimOptions options;
    Instrument unit(options, {2024, 6, 30, 10, 20, 30});
    std::vector<FrameBytes> out;
    unit.onSlice(0, out);
    EXPECT_TRUE(out.empty()) << "streams after power-up";
    unit.onControlByte(0x86, 0, out);  // transmit, calibration off, gain 100
    unit.onSlice(257, out);
    ASSERT_EQ(out.size(), 1u);
    const auto& f = out[0];
    EXPECT_EQ(f.size(), acquisition::kDataFrameSize);
    EXPECT_EQ(f[1], 0x0A) << "gain code 2 and the GPS bit";
    EXPECT_EQ(f[7], 0x31) << "second 31";
    EXPECT_EQ(f[8], 1) << "sample index";
    EXPECT_EQ(acquisition::frameChecksum(f), f[18]);
    out.clear();
    unit.onControlByte(0x94, 300, out);  // one PositionFrame, then no DataFrames
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), acquisition::kPositionFrameSize);
    unit.onSlice(301, out);
    EXPECT_EQ(out.size(), 1u);
}

TEST(SimOptionsTest, FaultsOfANoisyLineAreOptions) {
    const SimOptions o = parseSimOptions({"--burst", "16", "--drop-frame-every", "100", "--junk-every", "250"});
    EXPECT_EQ(o.burst, 16);
    EXPECT_EQ(o.dropFrameEvery, 100);
    EXPECT_EQ(o.junkEvery, 250);
    EXPECT_EQ(parseSimOptions({}).burst, 1);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--burst", "0"}, {"--burst", "5000"},
                                                {"--drop-frame-every", "-1"}, {"--junk-every", "x"}}) {
        EXPECT_THROW(parseSimOptions(bad), std::invalid_argument) << bad[0] << " " << bad[1];
    }
}

TEST(InstrumentTest, LeftOutFramesAndStrayBytesFollowTheirCounts) {
    SimOptions options;
    options.dropFrameEvery = 5;
    options.junkEvery = 3;
    Instrument unit(options, {2024, 6, 30, 10, 20, 30});
    std::vector<FrameBytes> out;
    unit.onControlByte(0x84, 0, out);
    for (std::int64_t slice = 0; slice < 15; ++slice) unit.onSlice(slice, out);
    std::vector<int> indexes;
    std::vector<std::size_t> strays;
    for (const FrameBytes& f : out) {
        if (f.size() == acquisition::kDataFrameSize) {
            indexes.push_back(f[8]);
        } else {
            strays.push_back(f.size());
            EXPECT_EQ(f[0], 0xC1) << "a stray sync byte first";
        }
    }
    // Frames 5, 10 and 15 (counted from 1) are left out; 3, 6, 9 and 12 follow stray bytes.
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13}));
    EXPECT_EQ(strays, (std::vector<std::size_t>{2, 3, 1, 2}));
}

TEST(PortRegistrationTest, ANameIsRefusedWhileItsOwnerLivesAndTakenOverWhenItIsGone) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zuva-ports-test-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    // Another pseudo-terminal path stands for one the system has given to someone else.
    const std::string slave = "/dev/null";
    {
        PortRegistration first(dir.string(), "sim0", slave);
        EXPECT_EQ(std::filesystem::read_symlink(first.linkPath()), slave);
        EXPECT_THROW(PortRegistration(dir.string(), "sim0", "/dev/zero"), std::system_error);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "sim0")) << "the link goes with its owner";
    // An owner killed: its link stays behind, live, but nobody holds the name.
    const pid_t child = fork();
    if (child == 0) {
        PortRegistration killed(dir.string(), "sim0", slave);
        _exit(0);  // no destructor: as after SIGKILL
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(std::filesystem::is_symlink(dir / "sim0"));
    {
        PortRegistration next(dir.string(), "sim0", "/dev/zero");
        EXPECT_EQ(std::filesystem::read_symlink(dir / "sim0"), "/dev/zero");
    }
    std::filesystem::remove_all(dir);
}

TEST(FieldModelTest, AxesDifferScaleWithGainAndStayWithin24Bits) {
    const auto bx = FieldModel::count(1000, 0, 0, false);
    const auto by = FieldModel::count(1000, 1, 0, false);
    const auto bz = FieldModel::count(1000, 2, 0, false);
    EXPECT_NE(bx, by);
    EXPECT_NE(by, bz);
    EXPECT_GT(bx, 10000);
    EXPECT_LT(bx, 100000);
    EXPECT_EQ(FieldModel::count(1000, 0, 1, false), bx * 10);
    EXPECT_EQ(FieldModel::count(1000, 2, 3, false), 8388607) << "gain 1000 saturates";
    EXPECT_GT(FieldModel::count(1000 / 256 * 256, 0, 0, true), FieldModel::count(1000 / 256 * 256, 0, 0, false) + 4000);
}

// Means over 4200 s, a whole number of periods of the minute-scale variation, so that
// only the slow part is left: it changes by hundreds of counts over a day and repeats
// the next day.
TEST(FieldModelTest, DailyVariationRepeatsAfterADay) {
    const auto mean = [](std::int64_t centreSecond, int axis) {
        double sum = 0;
        for (std::int64_t s = centreSecond - 2100; s < centreSecond + 2100; ++s) {
            sum += FieldModel::count(s * 256, axis, 0, false);
        }
        return sum / 4200.0;
    };
    for (int axis = 0; axis < 3; ++axis) {
        double lowest = 1e9;
        double highest = -1e9;
        for (int hour = 2; hour < 26; hour += 2) {
            const double m = mean(hour * 3600, axis);
            lowest = std::min(lowest, m);
            highest = std::max(highest, m);
            EXPECT_NEAR(mean(hour * 3600 + 86400, axis), m, 2.0) << "axis " << axis << " hour " << hour;
        }
        EXPECT_GT(highest - lowest, 200.0) << "axis " << axis;
        EXPECT_LT(highest - lowest, 1000.0) << "axis " << axis;
    }
}

}  // namespace
}  // namespace zuva::sim

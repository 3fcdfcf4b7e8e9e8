#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AcquisitionRig.h"
#include "acquisition/BoundedLog.h"
#include "fakes/FakeClock.h"
#include "fakes/RecordingLog.h"

namespace zuva::acquisition::testing {
namespace {

using Lines = std::vector<std::string>;

struct BoundedRig {
    fakes::RecordingLog log;
    fakes::FakeClock clock;
    BoundedLog bounded{log, clock};
    BoundedRig() { clock.set({2026, 12, 11, 13, 20, 0, 0}); }
};

TEST(BoundedLog, EachKindPassesTenLinesAMinuteAndTheRestAreSummedUpWhenTheMinuteEnds) {
    const char* kinds[][2] = {
        {"Checksum error: buf19=C1 ", "Checksum error"},
        {"Error decodedata: buf19=55 ", "Error decodedata"},
        {"Corrected data: 12 00 02(99-100) = 1 2 3", "Corrected data"},
        {"Invalid date or time: buf19=C1 ", "Invalid date or time"},
        {"Lost seconds: 12 00 04 - 12 00 05 (2 s)", "Lost seconds"},
    };
    for (const auto& kind : kinds) {
        BoundedRig r;
        for (int n = 0; n < 473 + 10; ++n) {
            r.bounded.addlogfile(kind[0] + std::to_string(n));
            r.clock.advance(100);  // 48.3 s: all within the minute
        }
        Lines expected;
        for (int n = 0; n < 10; ++n) expected.push_back(kind[0] + std::to_string(n));
        EXPECT_EQ(r.log.lines, expected) << kind[1];
        r.clock.set({2026, 12, 11, 13, 21, 0, 5});
        r.bounded.poll();
        expected.push_back(std::string(kind[1]) + ": 473 more in the last minute");
        EXPECT_EQ(r.log.lines, expected) << kind[1];
        EXPECT_EQ(r.bounded.suppressed(), 473u) << kind[1];
        // The new minute passes ten again.
        r.bounded.addlogfile(kind[0] + std::string("new"));
        EXPECT_EQ(r.log.lines.back(), kind[0] + std::string("new")) << kind[1];
    }
}

TEST(BoundedLog, KindsAreCountedApartAndOtherLinesAlwaysPass) {
    BoundedRig r;
    for (int n = 0; n < 12; ++n) {
        r.bounded.addlogfile("Checksum error: buf19=" + std::to_string(n));
        r.bounded.addlogfile("Corrected data: " + std::to_string(n));
        r.bounded.addlogfile("GPS: Available. 13 20 00");
    }
    r.bounded.addlogfile("Count= 5001");
    EXPECT_EQ(r.log.lines.size(), 10u + 10u + 12u + 1u);
    // The end of the minute is noticed by the next line of any kind, too.
    r.clock.set({2026, 12, 11, 13, 22, 30, 0});
    r.bounded.addlogfile("Stop = TEST.ZUV");
    const Lines tail(r.log.lines.end() - 3, r.log.lines.end());
    EXPECT_EQ(tail, (Lines{"Checksum error: 2 more in the last minute", "Corrected data: 2 more in the last minute",
                           "Stop = TEST.ZUV"}));
}

TEST(BoundedLog, TheEndOfARunSaysWhatWasLeftOutSoFar) {
    AcquisitionRig r;
    r.clock.set({2026, 12, 11, 13, 20, 0, 0});
    r.start(1);
    Stream s;
    s.second({2026, 12, 11, 13, 20, 0}, 100, 101);  // the way in
    for (int i = 0; i < 12; ++i) {
        DataFrame f = encodeDataFrame({2026, 12, 11, 13, 20, 0}, 0, static_cast<std::uint8_t>(2 * i), 1, 2, 3);
        f[18] = static_cast<std::uint8_t>(f[18] + 1);
        s.frame(f).frame(encodeDataFrame({2026, 12, 11, 13, 20, 0}, 0, static_cast<std::uint8_t>(2 * i + 1), 1, 2, 3));
    }
    r.deliver(s);
    r.stop();
    const std::vector<std::string> lines = r.log.lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Checksum error: 2 more in the last minute");
    EXPECT_EQ(lines.back(), "Stop = TEST.ZUV");
    // The minute's ten are used up: the next checksum error of it is only counted.
    EXPECT_EQ(r.acq.boundedLog().suppressed(), 2u);
}

TEST(BoundedLog, AMinuteWithinTheLimitWritesNoSummary) {
    BoundedRig r;
    for (int n = 0; n < 10; ++n) r.bounded.addlogfile("Lost seconds: " + std::to_string(n));
    r.clock.set({2026, 12, 11, 13, 21, 0, 0});
    r.bounded.poll();
    EXPECT_EQ(r.log.lines.size(), 10u);
    // The same minute of another hour or day is another minute.
    r.clock.set({2026, 12, 12, 13, 21, 0, 0});
    for (int n = 0; n < 10; ++n) r.bounded.addlogfile("Lost seconds: again " + std::to_string(n));
    EXPECT_EQ(r.log.lines.size(), 20u);
}

TEST(BoundedLog, ANoisyStreamKeepsTheAcquisitionsLogShortAndCountsEveryError) {
    AcquisitionRig r;
    r.clock.set({2026, 12, 11, 13, 20, 0, 0});
    r.start(1);
    // Two minutes of frames with every third frame's checksum wrong.
    const FrameDateTime t0{2026, 12, 11, 13, 20, 0};
    std::size_t bad = 0;
    for (long k = 0; k < 120; ++k) {
        Stream s;
        for (int i = 0; i < 256; ++i) {
            const FrameDateTime t = later(t0, k);
            const Sample v = defaultSample(t, i);
            DataFrame f = encodeDataFrame(t, 0, static_cast<std::uint8_t>(i), v.bx, v.by, v.bz);
            if ((k * 256 + i) % 3 == 2) {
                f[18] = static_cast<std::uint8_t>(f[18] + 1);
                ++bad;
            }
            s.frame(f);
        }
        r.deliver(s);
        r.clock.advance(1000);
    }
    r.deliver(Stream().second(later(t0, 120), 0, 0));  // a notification in the third minute
    int checksumLines = 0;
    int correctedLines = 0;
    for (const std::string& line : r.log.lines) {
        if (line.rfind("Checksum error: buf19=", 0) == 0) ++checksumLines;
        if (line.rfind("Corrected data: ", 0) == 0 && line.find("more in the last minute") == std::string::npos) {
            ++correctedLines;
        }
    }
    EXPECT_EQ(checksumLines, 20) << "ten in each minute";
    // The last second's gaps are filled when the frame of the third minute shows its end.
    EXPECT_EQ(correctedLines, 30) << "ten in each minute";
    EXPECT_LT(r.log.lines.size(), 2u * 100u) << "under a hundred lines a minute";
    EXPECT_EQ(r.acq.counters().frameErrors, bad) << "every error is counted";
    const std::uint64_t firstMinuteChecksums = 60 * 256 / 3;
    EXPECT_NE(std::find(r.log.lines.begin(), r.log.lines.end(),
                        "Checksum error: " + std::to_string(firstMinuteChecksums - 10) + " more in the last minute"),
              r.log.lines.end());
}

}  // namespace
}  // namespace zuva::acquisition::testing

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AcquisitionRig.h"
#include "acquisition/FrameDump.h"
#include "acquisition/SampleTiming.h"

namespace zuva::acquisition::testing {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr FrameDateTime kT0{2009, 8, 19, 12, 0, 0};

// Frames of the warm-up: the second the run begins in and the next one are not
// recorded; the file opens with the third.
Stream warmUp(const FrameDateTime& t0 = kT0) {
    Stream s;
    s.seconds(t0, 2);
    return s;
}

Sample constantSample(const FrameDateTime&, int) { return {1000, -2000, 4000}; }

TEST(RecordDecoder, WarmUpOpensTheFirstFileOnTheThirdSecond) {
    AcquisitionRig r;
    r.start();
    // The run begins in the middle of 11:59:59.
    Stream s;
    s.second({2009, 8, 19, 11, 59, 59}, 100, 255).seconds(kT0, 3);
    r.deliver(s);
    ASSERT_EQ(r.file.opened.size(), 1u);
    EXPECT_EQ(r.file.opened[0].fileDate, "20090819");
    EXPECT_EQ(r.file.opened[0].fileTime, "120001");
    EXPECT_EQ(r.file.opened[0].dateText, "2009 08 19");
    ASSERT_EQ(r.file.records.size(), 2u);
    EXPECT_EQ(r.file.records[0].hour, 12);
    EXPECT_EQ(r.file.records[0].second, 1);
    EXPECT_EQ(r.file.records[1].second, 2);
    EXPECT_EQ(r.file.firstRecordOfFile, (std::vector<std::size_t>{0}));
    EXPECT_EQ(r.acq.decoder().rotation().SecondCount(), 4u);
}

TEST(RecordDecoder, SamplesAreTwentyFourBitTwosComplement) {
    struct Case {
        Bytes bytes;
        std::int32_t value;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x80}, -8388608}, {{0x01, 0x00, 0x00}, 1},       {{0xFF, 0xFF, 0xFF}, -1},
        {{0xFF, 0xFF, 0x7F}, 8388607},  {{0x34, 0x12, 0x00}, 0x1234},
    };
    for (const Case& c : cases) {
        AcquisitionRig r;
        r.start(1);
        Stream s = warmUp();
        for (int i = 0; i < 256; ++i) {
            DataFrame f = encodeDataFrame(later(kT0, 2), 0, static_cast<std::uint8_t>(i), 0, 0, 0);
            std::copy(c.bytes.begin(), c.bytes.end(), f.begin() + 9);
            sealFrame(f);
            s.frame(f);
        }
        r.deliver(s);
        ASSERT_EQ(r.file.records.size(), 1u);
        EXPECT_EQ(r.file.records[0].bx[0], c.value);
        EXPECT_EQ(r.file.records[0].bx[255], c.value);
        EXPECT_EQ(r.file.records[0].by[0], 0);
    }
}

TEST(RecordDecoder, RecordsCarrySumsOfGroupsAndChartsShowTheMeanInNanotesla) {
    // Sensitivity 0.5 nT/bit and gain 10: a count of 1000 is 50 nT.
    struct Case {
        std::uint16_t averaging;
        std::size_t triples;
        std::int32_t sum;
    };
    for (const Case c : {Case{1, 256, 1000}, Case{4, 64, 4000}, Case{256, 1, 256000}}) {
        AcquisitionRig r;
        r.acq.controlWord().ComboBox3Change(1);  // gain 10, no run: at once
        r.start(c.averaging, 0.5);
        Stream s;
        s.seconds(kT0, 3, 0x01, constantSample);
        r.deliver(s);
        ASSERT_EQ(r.file.records.size(), 1u) << c.averaging;
        const recording::SecondRecord& rec = r.file.records[0];
        EXPECT_EQ(rec.tripleCount, c.triples);
        EXPECT_EQ(rec.bx[0], c.sum);
        EXPECT_EQ(rec.bx[c.triples - 1], c.sum);
        EXPECT_EQ(rec.by[0], -2 * c.sum);
        EXPECT_EQ(rec.bz[0], 4 * c.sum);
        EXPECT_EQ(rec.statusByte, 0x01);
        ASSERT_EQ(r.chart.batches.size(), 1u);
        ASSERT_EQ(r.chart.batches[0].size(), c.triples);
        for (const ChartPoint& p : r.chart.batches[0]) {
            EXPECT_DOUBLE_EQ(p.bx, 50.0);
            EXPECT_DOUBLE_EQ(p.by, -100.0);
            EXPECT_DOUBLE_EQ(p.bz, 200.0);
        }
        const recording::DataFileHeaderInfo& h = r.file.opened.at(0);
        EXPECT_EQ(h.averaging, c.averaging);
        EXPECT_EQ(h.samplingRateText, std::to_string(256 / c.averaging));
        EXPECT_EQ(h.gainText, "10");
        EXPECT_DOUBLE_EQ(h.sensitivity, 0.5);
    }
}

TEST(RecordDecoder, GroupsSumConsecutiveSamplesAndArePlacedAtTheirFirstSample) {
    AcquisitionRig r;
    r.start(4);
    Stream s;
    s.seconds(kT0, 3);
    r.deliver(s);
    ASSERT_EQ(r.file.records.size(), 1u);
    const FrameDateTime t = later(kT0, 2);
    for (int g : {0, 1, 63}) {
        std::int32_t sum = 0;
        for (int i = g * 4; i < g * 4 + 4; ++i) sum += defaultSample(t, i).bx;
        EXPECT_EQ(r.file.records[0].bx[static_cast<std::size_t>(g)], sum) << g;
    }
    const auto& points = r.chart.batches.at(0);
    ASSERT_EQ(points.size(), 64u);
    const TimeOfDay second{12, 0, 2};
    EXPECT_DOUBLE_EQ(points[0].x, dayFraction(second, 0));
    EXPECT_DOUBLE_EQ(points[1].x, dayFraction(second, 16));  // 15.625 rounded
    EXPECT_DOUBLE_EQ(points[63].x, dayFraction(second, 984));
}

TEST(SampleTiming, MillisecondsRoundHalvesToEven) {
    const std::vector<std::pair<int, int>> cases{{0, 0},    {1, 4},     {2, 8},     {3, 12},    {4, 16},
                                                 {5, 20},   {6, 23},    {16, 62},   {48, 188},  {128, 500},
                                                 {255, 996}, {80, 312}, {112, 438}};
    for (const auto& [position, ms] : cases) EXPECT_EQ(positionMillisecond(position), ms) << position;
    EXPECT_DOUBLE_EQ(dayFraction({12, 0, 0}, 0), 0.5);
    EXPECT_DOUBLE_EQ(dayFraction({23, 59, 59}, 999), 86399999.0 / 86400000.0);
}

TEST(RecordDecoder, StatusBarShowsTheTimeAndTheFirstSampleInCounts) {
    AcquisitionRig r;
    r.visualization.on = false;  // the panels are written with the charts off as well
    r.start(4);
    r.deliver(Stream().seconds(kT0, 3));
    const Sample first = defaultSample(later(kT0, 2), 0);
    EXPECT_EQ(r.panels.texts[0], "Time: 12 00 02");
    EXPECT_EQ(r.panels.texts[1], "Bx: " + std::to_string(first.bx) + " bit");
    EXPECT_EQ(r.panels.texts[2], "By: " + std::to_string(first.by) + " bit");
    EXPECT_EQ(r.panels.texts[3], "Bz: " + std::to_string(first.bz) + " bit");
    EXPECT_TRUE(r.chart.batches.empty());
    EXPECT_EQ(r.file.records.size(), 1u);
}

// The seconds the data file still owes are given to the status bar with each
// second, before its panels.
TEST(RecordDecoder, StatusBarIsToldTheSecondsWaitingToBeWritten) {
    AcquisitionRig r;
    r.start(4);
    r.file.backlog = 7;
    r.deliver(Stream().seconds(kT0, 3));
    EXPECT_EQ(r.panels.backlog, 7u);
    r.file.backlog = 0;
    r.deliver(Stream().seconds(later(kT0, 3), 1));
    EXPECT_EQ(r.panels.backlog, 0u);
    EXPECT_EQ(r.panels.texts[0], "Time: 12 00 03");
}

TEST(RecordDecoder, UnsetInstrumentClockLetsThePcClockNameFilesAndPlacePoints) {
    AcquisitionRig r;
    r.clock.set({2024, 6, 30, 10, 20, 30, 0});
    r.start(1);
    const FrameDateTime unset{2005, 1, 11, 3, 4, 3};
    r.deliver(Stream().seconds(unset, 3));
    ASSERT_EQ(r.file.opened.size(), 1u);
    EXPECT_EQ(r.file.opened[0].fileDate, "20240630");
    EXPECT_EQ(r.file.opened[0].fileTime, "102030_");
    EXPECT_EQ(r.file.opened[0].dateText, "2005 01 11");
    ASSERT_EQ(r.file.records.size(), 1u);
    EXPECT_EQ(r.file.records[0].hour, 3);
    EXPECT_EQ(r.file.records[0].minute, 4);
    EXPECT_EQ(r.file.records[0].second, 5);
    EXPECT_EQ(r.panels.texts[0], "Time: 03 04 05");
    ASSERT_EQ(r.chart.batches.size(), 1u);
    EXPECT_DOUBLE_EQ(r.chart.batches[0][0].x, dayFraction({10, 20, 30}, 0));
    EXPECT_TRUE(r.notableLog().empty());
}

TEST(RecordDecoder, LostEndOfSecondIsMadeUpFromTheLastSample) {
    AcquisitionRig r;
    r.start(1);
    Stream s;
    s.seconds(kT0, 3);                       // 12:00:00 .. 12:00:02, recorded from :02
    s.second(later(kT0, 3), 0, 200);         // 12:00:03 loses 201..255
    s.second(later(kT0, 4), 0, 0);           // the first frame of 12:00:04 reveals it
    r.deliver(s);
    const Sample last = defaultSample(later(kT0, 3), 200);
    EXPECT_EQ(r.notableLog(), (Lines{"Corrected data: 12 00 03(200-255) = " + std::to_string(last.bx) + " " +
                                  std::to_string(last.by) + " " + std::to_string(last.bz)}));
    ASSERT_EQ(r.file.records.size(), 2u);
    const recording::SecondRecord& made = r.file.records[1];
    EXPECT_EQ(made.second, 3);
    EXPECT_EQ(made.bx[200], last.bx);
    for (std::size_t i = 201; i < 256; ++i) ASSERT_EQ(made.bx[i], last.bx) << i;
    EXPECT_EQ(made.bx[199], defaultSample(later(kT0, 3), 199).bx);
    // The made-up second's points lie at its own time, so the axis stays ascending.
    ASSERT_EQ(r.chart.batches.size(), 2u);
    EXPECT_DOUBLE_EQ(r.chart.batches[1][0].x, dayFraction({12, 0, 3}, 0));
    EXPECT_GT(r.chart.batches[1][0].x, r.chart.batches[0].back().x);
    // The new second goes on normally and keeps its first sample.
    r.deliver(Stream().second(later(kT0, 4), 1, 255));
    ASSERT_EQ(r.file.records.size(), 3u);
    EXPECT_EQ(r.file.records[2].second, 4);
    EXPECT_EQ(r.file.records[2].bx[0], defaultSample(later(kT0, 4), 0).bx);
}

TEST(RecordDecoder, SecondWithOnlyItsFirstSampleIsNotWrittenAndTheNextSecondKeepsItsStart) {
    AcquisitionRig r;
    r.start(1);
    Stream s;
    s.seconds(kT0, 4);                  // recorded: :02, :03
    s.second(later(kT0, 4), 0, 0);      // 12:00:04 ends after its first sample
    s.seconds(later(kT0, 5), 1);        // 12:00:05 whole
    r.deliver(s);
    EXPECT_EQ(r.notableLog(), (Lines{"Corrected data: 12 00 04(0) - 12 00 05(0)"}));
    ASSERT_EQ(r.file.records.size(), 3u);
    EXPECT_EQ(r.file.records[2].second, 5);
    for (std::size_t i = 0; i < 256; ++i) {
        ASSERT_EQ(r.file.records[2].bx[i], defaultSample(later(kT0, 5), static_cast<int>(i)).bx) << i;
    }
}

TEST(RecordDecoder, LostEndIsNotLookedForDuringTheFirstSecondsOfARun) {
    AcquisitionRig r;
    r.start(1);
    Stream s;
    s.second(kT0, 0, 100).second(later(kT0, 1), 0, 100).second(later(kT0, 2), 0, 255);
    r.deliver(s);
    EXPECT_TRUE(r.notableLog().empty());
    EXPECT_EQ(r.file.records.size(), 1u);
}

TEST(RecordDecoder, GpsAvailabilityIsReportedAtIndex250WhenItChanges) {
    AcquisitionRig r;
    r.start(1);
    Stream s;
    s.second(kT0, 0, 255, 0x00);
    s.second(later(kT0, 1), 0, 255, 0x00);  // unchanged: no line
    s.second(later(kT0, 2), 0, 101, 0x00).second(later(kT0, 2), 102, 255, 0x08);
    s.second(later(kT0, 3), 0, 100, 0x08).second(later(kT0, 3), 101, 255, 0x00);  // change at 101 seen at 250
    r.deliver(s);
    EXPECT_EQ(r.log.lines, (Lines{"GPS: Not available. 12 00 00", "GPS: Available. 12 00 02",
                                  "GPS: Not available. 12 00 03"}));
    EXPECT_EQ(r.acq.decoder().GpsState(), 0);
}

TEST(RecordDecoder, FrameWithImpossibleDateOrTimeIsDroppedAndLogged) {
    struct Case {
        const char* name;
        std::size_t byte;  // 0-based: 2 year .. 7 second
        std::uint8_t value;
    };
    const Case cases[] = {
        {"BCD nibble above 9 in the second", 7, 0x5A}, {"BCD nibble above 9 in the year", 2, 0xA1},
        {"hour 24", 5, 0x24},                          {"minute 60", 6, 0x60},
        {"second 60", 7, 0x60},                        {"month 0", 3, 0x00},
        {"month 13", 3, 0x13},                         {"day 0", 4, 0x00},
        {"day 32", 4, 0x32},                           {"31 September", 3, 0x09},
    };
    for (const Case& c : cases) {
        AcquisitionRig r;
        r.start(1);
        const FrameDateTime t = later(kT0, 2);
        Stream s = warmUp();
        s.second(t, 0, 99);
        DataFrame bad = encodeDataFrame(t, 0, 100, 555, 555, 555);
        bad[c.byte] = c.value;
        if (std::string(c.name) == "31 September") bad[4] = 0x31;
        sealFrame(bad);
        s.frame(bad).second(t, 101, 255);
        r.deliver(s);
        // Position 100 had no good frame: it holds the sample before it, of its own second.
        const Sample held = defaultSample(t, 99);
        EXPECT_EQ(r.notableLog(), (Lines{"Invalid date or time: buf19=" + frameDump(bad),
                                         "Corrected data: 12 00 02(99-100) = " + std::to_string(held.bx) + " " +
                                             std::to_string(held.by) + " " + std::to_string(held.bz)}))
            << c.name;
        ASSERT_EQ(r.file.records.size(), 1u) << c.name << ": the second goes on and is recorded";
        EXPECT_EQ(r.file.opened.size(), 1u) << c.name;
        EXPECT_EQ(r.file.records[0].bx[100], held.bx) << c.name;
        EXPECT_EQ(r.file.records[0].bz[100], held.bz) << c.name;
        EXPECT_EQ(r.acq.counters().frameErrors, 1u) << c.name;
        EXPECT_EQ(r.acq.counters().samplesFilled, 1u) << c.name;
        EXPECT_EQ(r.acq.counters().secondsRecorded, 1u) << c.name;
    }
}

TEST(RecordDecoder, LeapDayIsAValidDate) {
    AcquisitionRig r;
    r.start(1);
    r.deliver(Stream().seconds({2024, 2, 29, 8, 0, 0}, 3));
    EXPECT_TRUE(r.notableLog().empty());
    EXPECT_EQ(r.file.records.size(), 1u);
}

TEST(RecordDecoder, PositionFrameGivesTrimmedTextsForTheNextHeaderAndTheGpsPanel) {
    AcquisitionRig r;
    PositionFrame p = encodePositionFrame({2024, 6, 30, 10, 20, 30}, 0, "  5540.12N", "\t03736.56E ", "150.0\r");
    p[12] = '\n';  // a control character inside a text must not break a log or header line
    sealFrame(p);
    r.acq.decoder().DecodePositionFrame(p);
    const std::string text = "GPS: 03736.56E 55 0.12N 150.0 (2024 06 30 10 20 30)";
    EXPECT_EQ(r.panels.texts[4], text);
    EXPECT_EQ(r.log.lines, (Lines{text}));
    r.start(1);
    r.deliver(Stream().seconds(kT0, 3));
    ASSERT_EQ(r.file.opened.size(), 1u);
    EXPECT_EQ(r.file.opened[0].latitude, "55 0.12N");
    EXPECT_EQ(r.file.opened[0].longitude, "03736.56E");
    EXPECT_EQ(r.file.opened[0].altitude, "150.0");
}

TEST(RecordDecoder, HeaderGpsTextsAreEmptyBeforeAnyPositionFrame) {
    AcquisitionRig r;
    r.start(1);
    r.deliver(Stream().seconds(kT0, 3));
    ASSERT_EQ(r.file.opened.size(), 1u);
    EXPECT_EQ(r.file.opened[0].latitude, "");
    EXPECT_EQ(r.file.opened[0].longitude, "");
    EXPECT_EQ(r.file.opened[0].altitude, "");
}

TEST(RecordDecoder, GainEchoDifferentFromTheByteSentMakesItGoAgain) {
    AcquisitionRig r;
    r.start(1);  // sent 0x84, gain code 0
    Stream s;
    s.second(kT0, 0, 2, 0x02);  // the unit still echoes gain code 2
    s.second(kT0, 3, 5, 0x00);
    r.deliver(s);
    EXPECT_EQ(r.port.sent, (Bytes{0x84, 0x84, 0x84}));
}

TEST(RecordDecoder, GainChosenDuringARunIsSentAfterTheSecondIsWritten) {
    AcquisitionRig r;
    r.start(1, 1.0);
    r.deliver(warmUp());
    r.journal.calls.clear();
    r.acq.controlWord().ComboBox3Change(1);  // gain 10
    EXPECT_TRUE(r.port.sent.empty());
    EXPECT_FALSE(r.controls.isEnabled(Control::GainBox));
    r.deliver(Stream().second(later(kT0, 2), 0, 255, 0x00, constantSample));
    EXPECT_EQ(r.journal.calls, (Lines{"open 20090819120002.zuv", "points", "record 12:00:02", "send 85"}));
    EXPECT_EQ(r.notableLog(), (Lines{"Amplification: 10"}));
    EXPECT_TRUE(r.controls.isEnabled(Control::GainBox));
    EXPECT_DOUBLE_EQ(r.chart.batches[0][0].bx, 1000.0) << "the second in progress keeps the old gain";
    r.deliver(Stream().second(later(kT0, 3), 0, 255, 0x01, constantSample));
    EXPECT_DOUBLE_EQ(r.chart.batches[1][0].bx, 100.0);
    EXPECT_EQ(r.port.sent, (Bytes{0x85}));
}

// --- Failures outside decoding never stop it ---------------------------------

TEST(RecordDecoder, FailedLogWritesNeverCostARecordedSecond) {
    AcquisitionRig r;
    r.start(1);
    Stream s = warmUp();
    s.second(later(kT0, 2), 0, 200);  // its lost end is logged ...
    s.seconds(later(kT0, 3), 2);
    r.log.failCount = 1000;           // ... into a log that refuses every line
    r.deliver(s);
    ASSERT_EQ(r.file.records.size(), 3u);
    EXPECT_EQ(r.file.records[0].second, 2);
    EXPECT_EQ(r.file.records[1].second, 3);
    EXPECT_EQ(r.file.records[2].second, 4);
}

TEST(RecordDecoder, FailedRecordWriteIsReportedOnceAndLaterSecondsAreStillWritten) {
    AcquisitionRig r;
    r.start(1);
    r.file.failAppends = 2;
    r.file.errorCode = 28;
    r.deliver(Stream().seconds(kT0, 6));
    EXPECT_EQ(r.notableLog(), (Lines{"Error: second 12 00 02 not recorded: I/O error 28",
                                  "Recording resumed: 2 seconds not recorded"}));
    ASSERT_EQ(r.file.records.size(), 2u);
    EXPECT_EQ(r.file.records[0].second, 4);
    EXPECT_EQ(r.file.records[1].second, 5);
}

TEST(RecordDecoder, FailedNewFileIsTriedAgainOnceASecondWithoutHeaderlessRecords) {
    AcquisitionRig r;
    r.start(1);
    r.file.failOpens = 2;
    r.deliver(Stream().seconds(kT0, 6));
    EXPECT_EQ(r.file.openAttempts, 3) << "12:00:02, :03, :04";
    EXPECT_EQ(r.file.appendAttempts, 2) << "nothing is appended while no file is open";
    ASSERT_EQ(r.file.opened.size(), 1u);
    EXPECT_EQ(r.file.opened[0].fileTime, "120004");
    ASSERT_EQ(r.file.records.size(), 2u);
    EXPECT_EQ(r.file.records[0].second, 4);
    EXPECT_EQ(r.notableLog(), (Lines{"Error: new data file not begun: I/O error 2 (tried again every second)",
                                  "Recording resumed: 2 seconds not recorded"}));
}

TEST(RecordDecoder, FailedControlByteInsideReceptionIsReportedOnce) {
    AcquisitionRig r;
    r.start(1);
    r.port.failWrites = 5;
    Stream s;
    s.second(kT0, 0, 9, 0x03);  // echo disagrees on every frame, each resend refused at first
    r.deliver(s);
    EXPECT_EQ(r.log.lines, (Lines{"Error: control byte not sent: WriteFile function failed (win error code: 6)"}));
    EXPECT_EQ(r.port.sent.size(), 5u) << "the resends go on once the port takes them";
}

// ---- seconds by their time, gaps within a second, lost seconds ---------------

std::string countsText(const Sample& s) {
    return std::to_string(s.bx) + " " + std::to_string(s.by) + " " + std::to_string(s.bz);
}

// A second of the default stream with the positions in `lost` left out.
Stream& secondWithout(Stream& s, const FrameDateTime& t, std::initializer_list<int> lost) {
    int from = 0;
    for (const int gap : lost) {
        if (gap > from) s.second(t, from, gap - 1);
        from = gap + 1;
    }
    if (from <= 255) s.second(t, from, 255);
    return s;
}

struct SecondsKept final : SecondListener {
    void secondCompleted(const CompletedSecond& s) override {
        dates.push_back(s.date);
        times.push_back(s.time);
        filled.push_back(s.filledSamples);
    }
    std::vector<FrameDate> dates;
    std::vector<TimeOfDay> times;
    std::vector<std::uint32_t> filled;
};

TEST(RecordDecoderGaps, EachGapHoldsTheNearestEarlierSampleOfItsOwnSecondAndIsLogged) {
    struct Case {
        const char* name;
        std::initializer_list<int> lost;
        Lines log;  // filled in below from the samples used
    };
    const FrameDateTime t = later(kT0, 2);
    const auto line = [&](int from, int to, int source) {
        return "Corrected data: 12 00 02(" + std::to_string(from) + "-" + std::to_string(to) +
               ") = " + countsText(defaultSample(t, source));
    };
    const Case cases[] = {
        {"frame 0 lost", {0}, {line(0, 1, 1)}},
        {"frames 0 to 2 lost", {0, 1, 2}, {line(0, 3, 3)}},
        {"one frame inside", {100}, {line(99, 100, 99)}},
        {"three frames inside", {10, 11, 12}, {line(9, 12, 9)}},
        {"two gaps", {5, 200, 201}, {line(4, 5, 4), line(199, 201, 199)}},
        {"frame 254 lost", {254}, {line(253, 254, 253)}},
        {"start and inside", {0, 128}, {line(0, 1, 1), line(127, 128, 127)}},
    };
    for (const Case& c : cases) {
        AcquisitionRig r;
        SecondsKept kept;
        r.acq.decoder().setSecondListener(&kept);
        r.start(1);
        Stream s = warmUp();
        secondWithout(s, t, c.lost);
        s.seconds(later(kT0, 3), 1);
        r.deliver(s);
        EXPECT_EQ(r.notableLog(), c.log) << c.name;
        ASSERT_EQ(r.file.records.size(), 2u) << c.name;
        const recording::SecondRecord& rec = r.file.records[0];
        EXPECT_EQ(rec.second, 2) << c.name;
        int source = -1;
        for (int i = 0; i < 256; ++i) {
            const bool lost = std::find(c.lost.begin(), c.lost.end(), i) != c.lost.end();
            if (!lost) source = i;
            // A gap at the start takes the first sample that came.
            int used = source;
            if (used < 0) {
                used = i;
                while (std::find(c.lost.begin(), c.lost.end(), used) != c.lost.end()) ++used;
            }
            const Sample want = defaultSample(t, used);
            const auto at = static_cast<std::size_t>(i);
            ASSERT_EQ(rec.bx[at], want.bx) << c.name << " position " << i;
            ASSERT_EQ(rec.by[at], want.by) << c.name << " position " << i;
            ASSERT_EQ(rec.bz[at], want.bz) << c.name << " position " << i;
        }
        EXPECT_EQ(kept.filled, (std::vector<std::uint32_t>{static_cast<std::uint32_t>(c.lost.size()), 0u})) << c.name;
        EXPECT_EQ(r.acq.counters().samplesFilled, c.lost.size()) << c.name;
        EXPECT_EQ(r.acq.counters().secondsRecorded, 2u) << c.name;
    }
}

TEST(RecordDecoderGaps, PositionsLeftOutKeepNoValueOfTheSecondBefore) {
    AcquisitionRig r;
    r.start(1);
    Stream s = warmUp();
    s.seconds(later(kT0, 2), 1);
    secondWithout(s, later(kT0, 3), {40, 41});
    s.seconds(later(kT0, 4), 1);
    r.deliver(s);
    ASSERT_EQ(r.file.records.size(), 3u);
    const recording::SecondRecord& rec = r.file.records[1];
    EXPECT_EQ(rec.bx[40], defaultSample(later(kT0, 3), 39).bx);
    EXPECT_NE(rec.bx[40], defaultSample(later(kT0, 2), 40).bx) << "the value of the second before";
}

TEST(RecordDecoderGaps, LostFrameZeroNeitherMergesTwoSecondsNorUpsetsTheWarmUp) {
    AcquisitionRig r;
    r.start(1);
    Stream s;
    secondWithout(s, kT0, {0});              // the run's first second begins at frame 1
    secondWithout(s, later(kT0, 1), {0});
    secondWithout(s, later(kT0, 2), {0});    // the third second: recorded
    secondWithout(s, later(kT0, 3), {0, 255});
    s.seconds(later(kT0, 4), 1);
    r.deliver(s);
    ASSERT_EQ(r.file.opened.size(), 1u);
    ASSERT_EQ(r.file.records.size(), 3u);
    EXPECT_EQ(r.file.records[0].second, 2);
    EXPECT_EQ(r.file.records[1].second, 3);
    EXPECT_EQ(r.file.records[2].second, 4);
    EXPECT_EQ(r.acq.decoder().rotation().SecondCount(), 5u);
    const Sample first3 = defaultSample(later(kT0, 3), 1);
    const Sample last3 = defaultSample(later(kT0, 3), 254);
    EXPECT_EQ(r.notableLog(), (Lines{"Corrected data: 12 00 02(0-1) = " + countsText(defaultSample(later(kT0, 2), 1)),
                                     "Corrected data: 12 00 03(0-1) = " + countsText(first3),
                                     "Corrected data: 12 00 03(254-255) = " + countsText(last3)}));
    EXPECT_EQ(r.file.records[1].bx[0], first3.bx);
    EXPECT_EQ(r.file.records[1].bx[255], last3.bx);
}

TEST(RecordDecoderGaps, WholeSecondsThatNeverCameAreNamedOnceAndLeaveTheirGap) {
    AcquisitionRig r;
    r.start(1);
    Stream s = warmUp();
    s.seconds(later(kT0, 2), 2);                  // :02 :03
    s.seconds(later(kT0, 6), 1);                  // :04 :05 never came
    secondWithout(s, later(kT0, 8), {0});         // :07 never came, :08 begins at frame 1
    r.deliver(s);
    EXPECT_EQ(r.notableLog(), (Lines{"Lost seconds: 12 00 04 - 12 00 05 (2 s)", "Lost seconds: 12 00 07 - 12 00 07 (1 s)",
                                     "Corrected data: 12 00 08(0-1) = " + countsText(defaultSample(later(kT0, 8), 1))}));
    ASSERT_EQ(r.file.records.size(), 4u);
    EXPECT_EQ(r.file.records[2].second, 6);
    EXPECT_EQ(r.file.records[3].second, 8);
    EXPECT_EQ(r.acq.counters().secondsLost, 3u);
    EXPECT_EQ(r.acq.counters().secondsRecorded, 4u);
}

TEST(RecordDecoderGaps, AClockSetForwardOrBackIsNoLoss) {
    AcquisitionRig r;
    r.start(1);
    Stream s = warmUp();
    s.seconds(later(kT0, 2), 1);
    s.seconds(later(kT0, 2 + 601 + 1), 1);  // ten minutes and more ahead
    s.seconds(later(kT0, 100), 1);          // back
    r.deliver(s);
    EXPECT_TRUE(r.notableLog().empty());
    EXPECT_EQ(r.acq.counters().secondsLost, 0u);
}

TEST(RecordDecoderGaps, SecondsMissedWhileThePortWasAwayAreNotReportedAsLost) {
    AcquisitionRig r;
    r.start(1);
    Stream s = warmUp();
    s.seconds(later(kT0, 2), 1);
    r.deliver(s);
    r.acq.ResumeAfterGap();
    r.deliver(Stream().seconds(later(kT0, 9), 1));
    EXPECT_TRUE(r.notableLog().empty());
    EXPECT_EQ(r.acq.counters().secondsLost, 0u);
    ASSERT_EQ(r.file.records.size(), 2u);
}

TEST(RecordDecoderGaps, ASecondWhoseEndIsLostAtMidnightKeepsItsOwnDateAndFile) {
    AcquisitionRig r;
    SecondsKept kept;
    r.acq.decoder().setSecondListener(&kept);
    r.start(1);
    const FrameDateTime eve{2026, 12, 10, 23, 59, 56};
    Stream s = warmUp(eve);
    s.seconds(later(eve, 2), 1);                // 23:59:58
    s.second(later(eve, 3), 0, 250);            // 23:59:59 loses its end
    s.seconds(later(eve, 4), 1);                // 00:00:00 of the next day
    r.deliver(s);
    ASSERT_EQ(kept.times.size(), 3u);
    EXPECT_EQ(kept.dates[1], (FrameDate{2026, 12, 10}));
    EXPECT_EQ(kept.times[1], (TimeOfDay{23, 59, 59}));
    EXPECT_EQ(kept.filled[1], 5u);
    EXPECT_EQ(kept.dates[2], (FrameDate{2026, 12, 11}));
    // 23:59:59 went into the old day's file, before the new day's was begun.
    ASSERT_EQ(r.file.opened.size(), 2u);
    ASSERT_EQ(r.file.firstRecordOfFile.size(), 2u);
    EXPECT_EQ(r.file.firstRecordOfFile[1], 2u);
    EXPECT_EQ(r.file.records[1].second, 59);
}

}  // namespace
}  // namespace zuva::acquisition::testing

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AcquisitionRig.h"

namespace zuva::acquisition::testing {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> fileTimes(const fakes::FakeDataFileSink& f) {
    std::vector<std::string> names;
    for (const auto& h : f.opened) names.push_back(h.fileDate + h.fileTime);
    return names;
}

TEST(FileRotation, ContinuousAcquisitionBeginsTheNewDayFileAtMidnight) {
    AcquisitionRig r;
    r.start(256);
    r.deliver(Stream().seconds({2009, 8, 18, 23, 59, 55}, 7));  // 23:59:55 .. 00:00:01
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090818235957", "20090819000000"}));
    ASSERT_EQ(r.file.firstRecordOfFile, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(r.file.records[2].second, 59) << "23:59:59 goes to the old file";
    EXPECT_EQ(r.file.records[3].hour, 0);
    EXPECT_EQ(r.file.opened[1].dateText, "2009 08 19");
    EXPECT_EQ(r.chart.resets, 2) << "the first frame of the run and the new date";
    EXPECT_EQ(r.acq.decoder().rotation().SecondCount(), 7u) << "the count goes on over midnight";
}

TEST(FileRotation, RunStartedAt235959OpensItsFirstFileOneSecondAfterMidnight) {
    AcquisitionRig r;
    r.start(256);
    Stream s;
    s.second({2009, 8, 18, 23, 59, 59}, 10, 255).seconds({2009, 8, 19, 0, 0, 0}, 3);
    r.deliver(s);
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090819000001"}));
    ASSERT_EQ(r.file.records.size(), 2u);
    EXPECT_EQ(r.file.records[0].second, 1);
}

TEST(FileRotation, DateJumpAtAnyOtherTimeRestartsTheWarmUp) {
    AcquisitionRig r;
    r.start(256);
    Stream s;
    s.seconds({2009, 8, 18, 10, 0, 0}, 4).seconds({2009, 8, 20, 9, 0, 0}, 4);
    r.deliver(s);
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090818100002", "20090820090002"}));
    EXPECT_EQ(r.file.records.size(), 4u);
}

TEST(FileRotation, HourlyModeBeginsAFileAtEachNewHourAndOneAtMidnight) {
    AcquisitionRig r;
    r.start(256);
    r.acq.decoder().ChooseEveryHour();
    EXPECT_EQ(r.log.lines, (Lines{"Open new file: Every hour"}));
    Stream s;
    s.seconds({2009, 8, 18, 22, 59, 57}, 5).seconds({2009, 8, 18, 23, 59, 59}, 3);
    r.deliver(s);
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090818225959", "20090818230000", "20090819000000"}));
    EXPECT_EQ(r.file.firstRecordOfFile, (std::vector<std::size_t>{0, 1, 4}));
}

TEST(FileRotation, ChoosingEveryHourWaitsForTheNextHour) {
    AcquisitionRig r;
    r.start(256);
    Stream before;
    before.seconds({2009, 8, 18, 10, 19, 58}, 5);  // file 10:20:00
    r.deliver(before);
    r.acq.decoder().ChooseEveryHour();  // at 10:20:02
    Stream after;
    after.seconds({2009, 8, 18, 10, 20, 3}, 3).seconds({2009, 8, 18, 10, 59, 59}, 2);
    r.deliver(after);
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090818102000", "20090818110000"}));
}

TEST(FileRotation, BackToEveryMidnightKeepsTheHourlyFileUntilTheDateChanges) {
    AcquisitionRig r;
    r.start(256);
    r.acq.decoder().ChooseEveryHour();
    r.deliver(Stream().seconds({2009, 8, 18, 21, 59, 58}, 3));  // hourly file from 22:00:00
    r.acq.decoder().ChooseEveryMidnight();
    EXPECT_EQ(r.log.lines.back(), "Open new file: Every midnight");
    Stream s;
    s.seconds({2009, 8, 18, 22, 59, 59}, 2).seconds({2009, 8, 18, 23, 59, 59}, 2);
    r.deliver(s);
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090818220000", "20090819000000"}));
    EXPECT_EQ(r.file.firstRecordOfFile, (std::vector<std::size_t>{0, 4}));
}

TEST(FileRotation, UnsetInstrumentClockNamesAndRotatesByThePcClock) {
    AcquisitionRig r;
    r.clock.set({2009, 8, 19, 13, 45, 1, 0});
    r.start(256);
    r.acq.decoder().ChooseEveryHour();
    // Three seconds of an unset clock while the PC clock stands still at 13:45:01:
    // the file is named after the PC's time.
    r.deliver(Stream().seconds({2005, 1, 11, 0, 0, 0}, 3));
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090819134501_"}));
    // The PC's hour changes: in hourly mode a new file begins, named by the PC.
    r.clock.set({2009, 8, 19, 14, 0, 0, 0});
    r.deliver(Stream().seconds({2005, 1, 11, 0, 0, 3}, 1));
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090819134501_", "20090819140000_"}));
    EXPECT_EQ(r.file.opened[1].dateText, "2005 01 11");
}

TEST(FileRotation, StopAndStartBeginANewFile) {
    AcquisitionRig r;
    r.start(256);
    r.deliver(Stream().seconds({2009, 8, 18, 10, 0, 0}, 4));
    r.stop();
    EXPECT_EQ(r.log.lines.back(), "Stop = 20090818100002.zuv");
    r.deliver(Stream().seconds({2009, 8, 18, 10, 0, 4}, 1));  // ignored: no run
    EXPECT_EQ(r.file.records.size(), 2u);
    r.start(256);
    r.deliver(Stream().seconds({2009, 8, 18, 10, 0, 10}, 3));
    EXPECT_EQ(fileTimes(r.file), (Lines{"20090818100002", "20090818100012"}));
}

}  // namespace
}  // namespace zuva::acquisition::testing

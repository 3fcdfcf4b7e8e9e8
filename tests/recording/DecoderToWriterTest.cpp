// The acquisition core decoding encoded frames into the real data file writer on a
// temp directory, and the files read back with the header scan and record reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "TestFiles.h"
#include "acquisition/Acquisition.h"
#include "acquisition/FrameEncoder.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/FakeChartFeed.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePort.h"
#include "fakes/FakePortPresence.h"
#include "fakes/FakeStatusPanels.h"
#include "fakes/FakeTimer.h"
#include "fakes/FakeVisualizationSwitch.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataFileSummary.h"
#include "recording/DataFileWriter.h"
#include "recording/DataRecordReader.h"

namespace zuva::recording {
namespace {

using acquisition::FrameDateTime;
using testing::readFile;
using testing::TempDir;

FrameDateTime plus(FrameDateTime t, int seconds) {
    int s = t.hour * 3600 + t.minute * 60 + t.second + seconds;
    while (s >= 86400) {
        s -= 86400;
        ++t.day;  // the tests stay inside one month
    }
    t.hour = s / 3600;
    t.minute = s / 60 % 60;
    t.second = s % 60;
    return t;
}

struct Rig {
    TempDir dir;
    fakes::FakePort port;
    fakes::FakeTimer timer;
    fakes::FakePortPresence presence;
    acquisition::ControlStates controls;
    fakes::RecordingLog log;
    fakes::FakeClock clock;
    fakes::FailingFileSystem files;  // the real file system unless told to fail
    DataFileWriter writer{log, files};
    fakes::FakeChartFeed chart;
    fakes::FakeStatusPanels panels;
    fakes::FakeVisualizationSwitch visualization;
    acquisition::Acquisition acq{{port, timer, presence, controls, log, clock, writer, chart, panels, visualization}};

    Rig() { writer.setOutputDirectory(dir.path()); }

    void start(std::uint16_t averaging = 4) {
        acq.decoder().setAveraging(averaging);
        acq.decoder().setSensitivity(1.0);
        acq.PrepareRun();
        acq.StartTransmission();
    }
    void stop() {
        acq.EndRun();
        acq.StopTransmission();
    }
    // `count` whole seconds of frames from t on; sample i of a second has Bx = i.
    void seconds(FrameDateTime t, int count) {
        for (int s = 0; s < count; ++s) {
            const FrameDateTime now = plus(t, s);
            std::vector<std::uint8_t> bytes;
            for (int i = 0; i < 256; ++i) {
                const auto f = acquisition::encodeDataFrame(now, 0x00, static_cast<std::uint8_t>(i), i, -i, 1000);
                bytes.insert(bytes.end(), f.begin(), f.end());
            }
            for (std::size_t at = 0; at < bytes.size(); at += 512) {
                const std::size_t n = std::min<std::size_t>(512, bytes.size() - at);
                port.queue(std::span<const std::uint8_t>(bytes.data() + at, n));
                acq.ComPort1RxChar(static_cast<int>(n));
            }
        }
    }
    std::vector<std::string> startLines() const {
        std::vector<std::string> out;
        for (const auto& l : log.lines) {
            if (l.rfind("Start= ", 0) == 0 || l.find("already exists") != std::string::npos) out.push_back(l);
        }
        return out;
    }
};

struct FileContent {
    DataFileHeaderScan scan;
    std::vector<int> recordSeconds;
    std::vector<double> firstBx;  // Bx of each record's first sample, nT
};

FileContent readBack(const std::string& name) {
    fakes::RecordingLog log;
    FileContent c;
    c.scan = DataFileHeaderReader(log).ReadDataFileHeader(name);
    struct Keep final : RecordBlockConsumer {
        FileContent* c;
        bool consumeBlock(const RecordBlock& b) override {
            for (std::size_t r = 0; r < b.recordCount; ++r) {
                c->recordSeconds.push_back(b.recordSecond[r]);
                c->firstBx.push_back(b.bx[r * b.samplesPerRecord]);
            }
            return true;
        }
    } keep;
    keep.c = &c;
    DataRecordReader(log).read(name, c.scan, keep);
    EXPECT_TRUE(log.lines.empty()) << name << ": " << log.lines[0];
    return c;
}

TEST(DecoderToWriter, MidnightInContinuousAcquisitionBeginsTheNewDaysFile) {
    Rig r;
    r.start(4);
    r.seconds({2009, 8, 19, 23, 59, 57}, 5);  // 57, 58 warm up; 59 recorded; 00:00:00, 00:00:01
    const std::string day1 = r.dir.file("20090819235959.zuv");
    const std::string day2 = r.dir.file("20090820000000.zuv");
    EXPECT_EQ(r.startLines(), (std::vector<std::string>{"Start= " + day1, "Start= " + day2}));
    const FileContent a = readBack(day1);
    EXPECT_EQ(a.scan.FileSamplingRate, 64);
    EXPECT_EQ(a.recordSeconds, std::vector<int>{86399});
    const FileContent b = readBack(day2);
    EXPECT_EQ(b.recordSeconds, (std::vector<int>{0, 1}));
    EXPECT_NE(readFile(day2).find("\t<day>20</day>\r\n"), std::string::npos);
    // group 0 is samples 0..3 added up: 0+1+2+3 = 6, divided by averaging 4
    EXPECT_DOUBLE_EQ(b.firstBx[0], 1.5);
}

TEST(DecoderToWriter, HourlyModeBeginsAFileAtEachNewHour) {
    Rig r;
    r.start(256);
    r.acq.decoder().ChooseEveryHour();
    r.seconds({2009, 8, 19, 10, 59, 57}, 5);
    const std::string first = r.dir.file("20090819105959.zuv");
    const std::string second = r.dir.file("20090819110000.zuv");
    EXPECT_EQ(r.startLines(), (std::vector<std::string>{"Start= " + first, "Start= " + second}));
    EXPECT_EQ(readBack(first).recordSeconds, std::vector<int>{39599});
    EXPECT_EQ(readBack(second).recordSeconds, (std::vector<int>{39600, 39601}));
    EXPECT_EQ(readBack(second).scan.FileSamplingRate, 1);
}

TEST(DecoderToWriter, UnsetInstrumentClockNamesTheFileAfterThePcClock) {
    Rig r;
    r.clock.set({2024, 6, 30, 10, 20, 30, 0});
    r.start(4);
    r.seconds({2005, 1, 11, 3, 4, 3}, 4);
    const std::string name = r.dir.file("20240630102030_.zuv");
    EXPECT_EQ(r.startLines(), std::vector<std::string>{"Start= " + name});
    const FileContent c = readBack(name);
    EXPECT_EQ(c.recordSeconds, (std::vector<int>{3 * 3600 + 4 * 60 + 5, 3 * 3600 + 4 * 60 + 6}));
    EXPECT_NE(readFile(name).find("\t<year>2005</year>\r\n\t<month>01</month>\r\n\t<day>11</day>\r\n"),
              std::string::npos);
}

TEST(DecoderToWriter, NameComposedASecondTimeGetsASuffixAndKeepsTheFirstFile) {
    Rig r;
    r.start(4);
    r.seconds({2009, 8, 19, 12, 0, 0}, 4);
    r.stop();
    const std::string first = r.dir.file("20090819120002.zuv");
    const std::string before = readFile(first);
    // The instrument's clock was set back: the next run meets the same times.
    r.start(4);
    r.seconds({2009, 8, 19, 12, 0, 0}, 5);
    const std::string again = r.dir.file("20090819120002-1.zuv");
    EXPECT_EQ(r.startLines(), (std::vector<std::string>{"Start= " + first,
                                                       "Data file " + first + " already exists, recording into " + again,
                                                       "Start= " + again}));
    EXPECT_EQ(readFile(first), before);
    EXPECT_EQ(readBack(first).recordSeconds, (std::vector<int>{43202, 43203}));
    EXPECT_EQ(readBack(again).recordSeconds, (std::vector<int>{43202, 43203, 43204}));
}

// A full disk across a change of hour: reception goes on, the status bar counts the
// seconds waiting, and once the disk has room every second is in the file of its
// hour, in order.
TEST(DecoderToWriter, FullDiskAcrossAChangeOfHourLosesNoSecond) {
    Rig r;
    r.start(256);
    r.acq.decoder().ChooseEveryHour();
    r.seconds({2009, 8, 19, 10, 59, 55}, 3);  // 55, 56 warm up; 57 recorded
    r.files.failNext(fakes::FailingFileSystem::Call::Write, 1000, ENOSPC);
    r.seconds({2009, 8, 19, 10, 59, 58}, 4);  // 58, 59, 11:00:00, 11:00:01 wait
    EXPECT_EQ(r.panels.backlog, 4u);
    EXPECT_TRUE(r.acq.decoder().rotation().HeaderWritten());
    r.files.heal();
    r.seconds({2009, 8, 19, 11, 0, 2}, 1);
    EXPECT_EQ(r.panels.backlog, 0u);
    const std::string first = r.dir.file("20090819105957.zuv");
    const std::string second = r.dir.file("20090819110000.zuv");
    EXPECT_EQ(readBack(first).recordSeconds, (std::vector<int>{39597, 39598, 39599}));
    EXPECT_EQ(readBack(second).recordSeconds, (std::vector<int>{39600, 39601, 39602}));
    EXPECT_EQ(r.startLines(), (std::vector<std::string>{"Start= " + first, "Start= " + second}));
    EXPECT_NE(std::find(r.log.lines.begin(), r.log.lines.end(), "Data file written again: 4 seconds written late"),
              r.log.lines.end());
}

}  // namespace
}  // namespace zuva::recording

// Two days of frames, much faster than real time, through reception,
// decoding and rotation into the real data file writer on a temp directory: two
// midnights, hourly files, the instrument's clock jumping forward and back (taken
// names go to "-1" files) and a stretch of unset instrument clock named after the
// PC clock, which advances with the frames. Every file is read back with the header
// scan and the record reader: each second of the stream must be in exactly one
// file, the right one, in order, with its own time, status and values; only the
// warm-up seconds after a change of date are missing. Memory must stay flat.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "AcquisitionRig.h"
#include "fakes/CountingChartFeed.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataFileWriter.h"
#include "recording/DataRecordReader.h"
#include "recording/SecondRecordEncoder.h"
#include "recording/TestFiles.h"

namespace zuva::acquisition::testing {
namespace {

namespace fs = std::filesystem;

enum class Choice { None, EveryHour, EveryMidnight };

// A stretch of the stream: whole seconds from the instrument time `from` on. The
// rotation choice is made just before its first frame.
struct Segment {
    FrameDateTime from;
    long seconds;
    Choice before = Choice::None;
};

// 49.9 hours of frames; the instrument starts at 23:00 in "Every midnight" mode.
const std::vector<Segment> kScenario{
    {{2009, 8, 18, 23, 0, 0}, 7 * 3600},                        // over the first midnight
    {{2009, 8, 19, 6, 0, 0}, 4 * 3600 + 1800, Choice::EveryHour},  // hourly files
    {{2009, 8, 19, 9, 0, 0}, 4 * 3600},                         // clock set back 1.5 hours
    {{2009, 8, 19, 14, 37, 10}, 12170},                          // clock set forward, to 17:59:59
    {{2009, 8, 19, 18, 0, 0}, 7 * 3600, Choice::EveryMidnight},  // over the second midnight
    {{2009, 8, 19, 23, 58, 0}, 600},                             // back across midnight
    {{2005, 1, 11, 0, 0, 0}, 1200},                              // unset instrument clock
    {{2009, 8, 20, 1, 30, 0}, 81000 + 3600},                     // clock set again, over a third midnight
};

// The PC clock at the first frame of the stream; it goes on by a second per second.
constexpr recording::LocalDateTime kPcStart{2024, 3, 1, 20, 0, 0, 250};

struct ExpectedFile {
    std::string name;      // in the output directory
    long skipped;          // stream seconds just before it that no file holds (warm-up)
    FrameDateTime first;   // the instrument time of its first record
    long records;
    std::string takenName;  // the name it would have had, when that was taken
};

const std::vector<ExpectedFile> kFiles{
    {"20090818230002.zuv", 2, {2009, 8, 18, 23, 0, 2}, 3598, ""},
    {"20090819000000.zuv", 0, {2009, 8, 19, 0, 0, 0}, 6 * 3600, ""},
    {"20090819060000.zuv", 0, {2009, 8, 19, 6, 0, 0}, 3600, ""},
    {"20090819070000.zuv", 0, {2009, 8, 19, 7, 0, 0}, 3600, ""},
    {"20090819080000.zuv", 0, {2009, 8, 19, 8, 0, 0}, 3600, ""},
    {"20090819090000.zuv", 0, {2009, 8, 19, 9, 0, 0}, 3600, ""},
    {"20090819100000.zuv", 0, {2009, 8, 19, 10, 0, 0}, 1800, ""},
    {"20090819090000-1.zuv", 0, {2009, 8, 19, 9, 0, 0}, 3600, "20090819090000.zuv"},
    {"20090819100000-1.zuv", 0, {2009, 8, 19, 10, 0, 0}, 3600, "20090819100000.zuv"},
    {"20090819110000.zuv", 0, {2009, 8, 19, 11, 0, 0}, 3600, ""},
    {"20090819120000.zuv", 0, {2009, 8, 19, 12, 0, 0}, 3600, ""},
    {"20090819143710.zuv", 0, {2009, 8, 19, 14, 37, 10}, 1370, ""},
    {"20090819150000.zuv", 0, {2009, 8, 19, 15, 0, 0}, 3600, ""},
    {"20090819160000.zuv", 0, {2009, 8, 19, 16, 0, 0}, 3600, ""},
    // Back to "Every midnight" during this hour: the file goes on to midnight.
    {"20090819170000.zuv", 0, {2009, 8, 19, 17, 0, 0}, 7 * 3600, ""},
    {"20090820000000.zuv", 0, {2009, 8, 20, 0, 0, 0}, 3600, ""},
    {"20090819235802.zuv", 2, {2009, 8, 19, 23, 58, 2}, 118, ""},
    {"20090820000000-1.zuv", 0, {2009, 8, 20, 0, 0, 0}, 480, "20090820000000.zuv"},
    // The unset clock begins at 00:00:00, which the date check takes for a true
    // midnight: no warm-up. Named after the PC clock 93770 seconds after kPcStart.
    {"20240302220250_.zuv", 0, {2005, 1, 11, 0, 0, 0}, 1200, ""},
    {"20090820013002.zuv", 2, {2009, 8, 20, 1, 30, 2}, 81000 - 2, ""},
    {"20090821000000.zuv", 0, {2009, 8, 21, 0, 0, 0}, 3600, ""},
};

// The instrument time of each second of the stream.
std::vector<FrameDateTime> streamTimes() {
    std::vector<FrameDateTime> times;
    for (const Segment& s : kScenario) {
        for (long k = 0; k < s.seconds; ++k) times.push_back(later(s.from, k));
    }
    return times;
}

bool sameTime(const FrameDateTime& a, const FrameDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

std::string two(int v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", v);
    return text;
}

// VmRSS and VmHWM of this process, in KiB.
struct Memory {
    long rss = 0;
    long hwm = 0;
};

Memory memoryNow() {
    Memory m;
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        long kib = 0;
        fields >> key >> kib;
        if (key == "VmRSS:") m.rss = kib;
        if (key == "VmHWM:") m.hwm = kib;
    }
    return m;
}

// Checks each record read back against the stream second it must hold.
struct RecordCheck final : recording::RecordBlockConsumer {
    RecordCheck(const std::vector<FrameDateTime>& times, long firstSecond, std::uint16_t averaging)
        : times_(times), next_(firstSecond), averaging_(averaging) {}

    bool consumeBlock(const recording::RecordBlock& b) override {
        for (std::size_t r = 0; r < b.recordCount; ++r, ++next_) {
            const long k = next_;
            if (k >= static_cast<long>(times_.size())) {
                fail(k, "more records than the stream has seconds");
                return false;
            }
            const FrameDateTime& t = times_[static_cast<std::size_t>(k)];
            if (b.recordSecond[r] != t.hour * 3600 + t.minute * 60 + t.second) fail(k, "time");
            if (b.recordStatus[r] != trueStatus(k)) fail(k, "status byte");
            for (std::size_t j = 0; j < b.samplesPerRecord; ++j) {
                std::int64_t sx = 0, sy = 0, sz = 0;
                for (std::size_t i = j * averaging_; i < (j + 1) * averaging_; ++i) {
                    const Sample s = trueSample(k, static_cast<int>(i));
                    sx += s.bx;
                    sy += s.by;
                    sz += s.bz;
                }
                // Sensitivity 1 and gain 1: the reader's value is the mean of the
                // group, exact in binary since averaging is a power of two.
                const std::size_t at = r * b.samplesPerRecord + j;
                if (b.bx[at] != static_cast<double>(sx) / averaging_ || b.by[at] != static_cast<double>(sy) / averaging_ ||
                    b.bz[at] != static_cast<double>(sz) / averaging_) {
                    fail(k, "values of triple " + std::to_string(j));
                }
            }
            ++checked;
        }
        return true;
    }
    void fail(long k, const std::string& what) {
        if (mismatches++ == 0) firstMismatch = "stream second " + std::to_string(k) + ": " + what;
    }

    const std::vector<FrameDateTime>& times_;
    long next_;
    std::uint16_t averaging_;
    long checked = 0;
    long mismatches = 0;
    std::string firstMismatch;
};

class RecordingSoak : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(RecordingSoak, EverySecondOfTwoDaysLandsOnceInTheRightFile) {
    const std::uint16_t averaging = GetParam();
    const auto rate = static_cast<std::size_t>(256 / averaging);
    const std::vector<FrameDateTime> times = streamTimes();
    const long total = static_cast<long>(times.size());

    recording::testing::TempDir dir;
    fakes::RecordingLog writerLog;
    recording::DataFileWriter writer(writerLog);
    writer.setOutputDirectory(dir.path());
    // The writer's fdatasync per record is for the field, not for a soak that writes
    // days of records in seconds.
    writer.setSyncEachRecord(false);
    fakes::CountingChartFeed chart;
    AcquisitionRig rig(writer, chart);
    rig.clock.set(kPcStart);
    rig.start(averaging, 1.0);

    // Frames in batches of 1..1024 bytes that cut across frames and seconds.
    std::mt19937 rng(20090819u + averaging);
    std::uniform_int_distribution<std::size_t> batch(1, 1024);
    Memory warm;
    long k = 0;
    for (const Segment& segment : kScenario) {
        if (segment.before == Choice::EveryHour) rig.acq.decoder().ChooseEveryHour();
        if (segment.before == Choice::EveryMidnight) rig.acq.decoder().ChooseEveryMidnight();
        for (long s = 0; s < segment.seconds; ++s, ++k) {
            if (k > 0) rig.clock.advance(1000);
            Stream second;
            second.second(times[static_cast<std::size_t>(k)], 0, 255, trueStatus(k),
                          [k](const FrameDateTime&, int i) { return trueSample(k, i); });
            rig.port.queue(second.bytes());
            while (rig.port.waiting() > 1024) rig.acq.ComPort1RxChar(static_cast<int>(batch(rng)));
            if (k == 3600) warm = memoryNow();
        }
    }
    while (rig.port.waiting() > 0) rig.acq.ComPort1RxChar(static_cast<int>(batch(rng)));
    const Memory end = memoryNow();

    // The log: the two choices from the core, each new file and taken name from the writer.
    EXPECT_EQ(rig.notableLog(), (std::vector<std::string>{"Open new file: Every hour", "Open new file: Every midnight"}));
    std::vector<std::string> expectedWriterLog;
    for (const ExpectedFile& f : kFiles) {
        if (!f.takenName.empty()) {
            expectedWriterLog.push_back("Data file " + dir.file(f.takenName) + " already exists, recording into " +
                                        dir.file(f.name));
        }
        expectedWriterLog.push_back("Start= " + dir.file(f.name));
    }
    EXPECT_EQ(writerLog.lines, expectedWriterLog);

    // Exactly these files, nothing else.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expectedNames;
    for (const ExpectedFile& f : kFiles) expectedNames.push_back(f.name);
    std::sort(expectedNames.begin(), expectedNames.end());
    ASSERT_EQ(names, expectedNames);

    // Each file holds the next run of stream seconds after the warm-up it follows.
    const std::size_t recordSize = recording::SecondRecordEncoder::recordSize(rate);
    long next = 0;
    long checked = 0;
    for (const ExpectedFile& f : kFiles) {
        SCOPED_TRACE(f.name);
        const long first = next + f.skipped;
        ASSERT_LT(first, total);
        ASSERT_TRUE(sameTime(times[static_cast<std::size_t>(first)], f.first)) << "the table is not this scenario";
        const std::string path = dir.file(f.name);

        fakes::RecordingLog readLog;
        const recording::DataFileHeaderScan scan = recording::DataFileHeaderReader(readLog).ReadDataFileHeader(path);
        ASSERT_TRUE(scan.endFound);
        ASSERT_EQ(scan.FileSamplingRate, static_cast<std::int32_t>(rate));
        EXPECT_EQ(scan.averaging, averaging);
        // The header's date is the instrument's, also for the file named after the PC.
        std::string head(static_cast<std::size_t>(scan.HeaderLength), '\0');
        std::ifstream(path, std::ios::binary).read(head.data(), static_cast<std::streamsize>(head.size()));
        const FrameDateTime& d = times[static_cast<std::size_t>(first)];
        EXPECT_NE(head.find("\t<year>" + std::to_string(d.year) + "</year>\r\n\t<month>" + two(d.month) +
                            "</month>\r\n\t<day>" + two(d.day) + "</day>\r\n"),
                  std::string::npos)
            << head;
        EXPECT_EQ(fs::file_size(path), static_cast<std::uintmax_t>(scan.HeaderLength) + f.records * recordSize);

        RecordCheck check(times, first, averaging);
        const recording::RecordReadResult result = recording::DataRecordReader(readLog).read(path, scan, check);
        EXPECT_EQ(result.status, recording::RecordReadResult::Status::Completed);
        EXPECT_EQ(result.tailBytes, 0u);
        EXPECT_EQ(check.checked, f.records);
        EXPECT_EQ(check.mismatches, 0) << check.firstMismatch;
        EXPECT_TRUE(readLog.lines.empty()) << readLog.lines.front();
        checked += check.checked;
        next = first + f.records;
    }
    EXPECT_EQ(next, total) << "the last seconds of the stream are in no file";

    // Only a change of date clears the charts: the clock set back within the day
    // (10:29:59 to 09:00:00) is the one place where the points run backwards.
    EXPECT_EQ(chart.descending, 1);
    EXPECT_EQ(chart.total, static_cast<std::size_t>(checked) * rate);

    // Memory after the first hour and at the end: flat but for a small slack.
    constexpr long kSlackKiB = 4 * 1024;
    EXPECT_LE(end.rss, warm.rss + kSlackKiB) << "VmRSS grew from " << warm.rss << " KiB to " << end.rss << " KiB";
    EXPECT_LE(end.hwm, warm.hwm + kSlackKiB) << "VmHWM grew from " << warm.hwm << " KiB to " << end.hwm << " KiB";
    std::printf("soak at %zu Hz: %.2f simulated hours, %ld records read back, VmRSS %ld KiB after the first hour, "
                "%ld KiB at the end, VmHWM %ld KiB\n",
                rate, static_cast<double>(total) / 3600.0, checked, warm.rss, end.rss, end.hwm);
}

INSTANTIATE_TEST_SUITE_P(OutputRates, RecordingSoak, ::testing::Values(1, 256),
                         [](const ::testing::TestParamInfo<std::uint16_t>& row) {
                             return std::to_string(256 / row.param) + "Hz";
                         });

}  // namespace
}  // namespace zuva::acquisition::testing

// Data files of simulated days: written through the logger's own reception and
// writer, read back with the logger's header and record readers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "tools/sim/DayFileRecorder.h"
#include "tools/sim/FieldModel.h"

namespace zuva::tools {
namespace {

namespace fs = std::filesystem;
using sim::DayFileRecorder;
using sim::DayFileRequest;

struct CollectedLog final : recording::LogSink {
    void addlogfile(const std::string& message) override { lines.push_back(message); }
    std::vector<std::string> lines;
};

// Every record of a file, as the reader hands it over.
struct ReadBack final : recording::RecordBlockConsumer {
    std::vector<std::int32_t> seconds;
    std::vector<std::uint8_t> status;
    std::vector<double> bx, by, bz;
    std::size_t samplesPerRecord = 0;
    bool consumeBlock(const recording::RecordBlock& b) override {
        samplesPerRecord = b.samplesPerRecord;
        seconds.insert(seconds.end(), b.recordSecond.begin(), b.recordSecond.end());
        status.insert(status.end(), b.recordStatus.begin(), b.recordStatus.end());
        bx.insert(bx.end(), b.bx.begin(), b.bx.end());
        by.insert(by.end(), b.by.begin(), b.by.end());
        bz.insert(bz.end(), b.bz.begin(), b.bz.end());
        return true;
    }
};

struct FileRead {
    recording::DataFileHeaderScan header;
    ReadBack records;
    std::string headerText;
    std::vector<std::string> log;
};

FileRead readFile(const std::string& name) {
    FileRead r;
    CollectedLog log;
    r.header = recording::DataFileHeaderReader(log).ReadDataFileHeader(name);
    const auto result = recording::DataRecordReader(log).read(name, r.header, r.records);
    EXPECT_EQ(result.status, recording::RecordReadResult::Status::Completed) << name;
    EXPECT_EQ(result.tailBytes, 0u) << name;
    std::ifstream in(name, std::ios::binary);
    r.headerText.resize(static_cast<std::size_t>(std::max(0, r.header.HeaderLength)));
    in.read(r.headerText.data(), static_cast<std::streamsize>(r.headerText.size()));
    r.log = log.lines;
    return r;
}

// The field in nT the unit sends for sample `sample` of one axis, averaged over the
// group of `averaging` samples that begins there (gain 1, calibration off).
double expectedValue(std::int64_t slice, int axis, int averaging, double sensitivity) {
    std::int64_t sum = 0;
    for (int i = 0; i < averaging; ++i) sum += sim::FieldModel::count(slice + i, axis, 0, false);
    return static_cast<double>(sum) * sensitivity / averaging;
}

class DayFileRecorderTest : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zuva-days-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<std::string> filesInDir() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

struct SpanCase {
    const char* name;
    acquisition::FrameDateTime from;
    std::int64_t seconds;
    int rateIndex;
    double sensitivity;
    // Each file: its name, the record count, the first record's seconds after midnight,
    // and its header's year, month, day.
    struct File {
        const char* name;
        std::size_t records;
        std::int32_t firstSecond;
        int year, month, day;
    };
    std::vector<File> files;
};

class DayFileSpanTest : public DayFileRecorderTest, public ::testing::WithParamInterface<SpanCase> {};

// Over a midnight the logger's "Every midnight" rule begins a new file named after
// the new day; every second is in exactly one file, in order, with the unit's values.
TEST_P(DayFileSpanTest, FilesHoldEverySecondOnceWithTheUnitsValues) {
    const SpanCase& c = GetParam();
    DayFileRequest request;
    request.directory = dir;
    request.from = c.from;
    request.seconds = c.seconds;
    request.rateIndex = c.rateIndex;
    request.sensitivity = c.sensitivity;
    const sim::DayFileResult result = DayFileRecorder::record(request, sim::SimOptions{});

    std::vector<std::string> expectedNames, expectedPaths;
    for (const auto& f : c.files) {
        expectedNames.push_back(f.name);
        expectedPaths.push_back(dir + "/" + f.name);
    }
    EXPECT_EQ(result.files, expectedPaths);
    std::vector<std::string> sortedNames = expectedNames;
    std::sort(sortedNames.begin(), sortedNames.end());
    EXPECT_EQ(filesInDir(), sortedNames) << "no other file, none from the warm-up seconds";
    for (const std::string& path : expectedPaths) {
        EXPECT_NE(std::find(result.log.begin(), result.log.end(), "Start= " + path), result.log.end()) << path;
    }

    const int rate = 1 << c.rateIndex;
    const int averaging = 256 / rate;
    // Stream second k (from `from`) is the unit's second k + warm-up.
    std::int64_t k = 0;
    for (const auto& f : c.files) {
        SCOPED_TRACE(f.name);
        const FileRead r = readFile(dir + "/" + f.name);
        EXPECT_EQ(r.header.FileSamplingRate, rate);
        EXPECT_EQ(r.header.averaging, averaging);
        EXPECT_DOUBLE_EQ(r.header.sensitivity, c.sensitivity);
        EXPECT_EQ(r.header.year, f.year);
        EXPECT_EQ(r.header.month, f.month);
        EXPECT_EQ(r.header.day, f.day);
        EXPECT_TRUE(r.log.empty()) << r.log.front();
        ASSERT_EQ(r.records.seconds.size(), f.records);
        ASSERT_EQ(r.records.samplesPerRecord, static_cast<std::size_t>(rate));
        for (std::size_t i = 0; i < f.records; ++i, ++k) {
            ASSERT_EQ(r.records.seconds[i], (f.firstSecond + static_cast<std::int32_t>(i)) % 86400) << "record " << i;
            ASSERT_EQ(r.records.status[i], 0x08) << "GPS available, gain code 0";
            for (int g = 0; g < rate; ++g) {
                const std::int64_t slice = (k + DayFileRecorder::kWarmUpSeconds) * 256 + g * averaging;
                const std::size_t at = i * static_cast<std::size_t>(rate) + static_cast<std::size_t>(g);
                ASSERT_NEAR(r.records.bx[at], expectedValue(slice, 0, averaging, c.sensitivity), 1e-9 * 50000);
                ASSERT_NEAR(r.records.by[at], expectedValue(slice, 1, averaging, c.sensitivity), 1e-9 * 50000);
                ASSERT_NEAR(r.records.bz[at], expectedValue(slice, 2, averaging, c.sensitivity), 1e-9 * 50000);
            }
        }
    }
    EXPECT_EQ(k, c.seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, DayFileSpanTest,
    ::testing::Values(
        SpanCase{"OverMidnightAt4Hz", {2026, 3, 14, 23, 58, 0}, 240, 2, 1.0,
                 {{"20260314235800.zuv", 120, 23 * 3600 + 58 * 60, 2026, 3, 14},
                  {"20260315000000.zuv", 120, 0, 2026, 3, 15}}},
        SpanCase{"FromMidnightIntoMarchAt256Hz", {2028, 2, 29, 0, 0, 0}, 30, 8, 2.393e-5,
                 {{"20280229000000.zuv", 30, 0, 2028, 2, 29}}},
        SpanCase{"LeapDayIntoMarchAt1Hz", {2028, 2, 29, 23, 59, 30}, 60, 0, 0.5,
                 {{"20280229235930.zuv", 30, 86370, 2028, 2, 29}, {"20280301000000.zuv", 30, 0, 2028, 3, 1}}}),
    [](const ::testing::TestParamInfo<SpanCase>& p) { return std::string(p.param.name); });

TEST_F(DayFileRecorderTest, HeaderIsTheLoggersWithTheRateAndSensitivityAsked) {
    DayFileRequest request;
    request.directory = dir;
    request.from = {2026, 3, 14, 0, 0, 0};
    request.seconds = 5;
    request.rateIndex = 2;
    request.sensitivity = 2.393e-5;
    DayFileRecorder::record(request, sim::SimOptions{});
    const FileRead r = readFile(dir + "/20260314000000.zuv");
    for (const char* line : {"\t<year>2026</year>\r\n\t<month>03</month>\r\n\t<day>14</day>\r\n",
                             "\t<averaging>64</averaging>\r\n\t<samplingrate>4</samplingrate>\r\n",
                             "\t<sensitivity> 2.39300000000000E-0005</sensitivity>\r\n\t<gain>1</gain>\r\n",
                             "\t<one_second_record_size_in_bytes>52</one_second_record_size_in_bytes>\r\n"}) {
        EXPECT_NE(r.headerText.find(line), std::string::npos) << line << " in\n" << r.headerText;
    }
    EXPECT_EQ(r.records.seconds.size(), 5u);
}

TEST_F(DayFileRecorderTest, BadRequestsAreRefusedAndWriteNothing) {
    DayFileRequest request;
    request.directory = dir;
    request.from = {2026, 3, 14, 0, 0, 0};
    request.seconds = 10;
    request.rateIndex = 9;
    EXPECT_THROW(DayFileRecorder::record(request, sim::SimOptions{}), std::invalid_argument);
    request.rateIndex = 2;
    request.seconds = 0;
    EXPECT_THROW(DayFileRecorder::record(request, sim::SimOptions{}), std::invalid_argument);
    request.seconds = 10;
    request.directory = dir + "/missing";
    try {
        DayFileRecorder::record(request, sim::SimOptions{});
        ADD_FAILURE() << "a missing directory was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "no such directory: " + dir + "/missing");
    }
    EXPECT_TRUE(filesInDir().empty());
}

// A unit that never answers gives no file, and that is an error, not an empty success.
TEST_F(DayFileRecorderTest, SilentUnitIsAnError) {
    DayFileRequest request;
    request.directory = dir;
    request.from = {2026, 3, 14, 0, 0, 0};
    request.seconds = 10;
    sim::SimOptions silent;
    silent.silent = true;
    try {
        DayFileRecorder::record(request, silent);
        ADD_FAILURE() << "a silent unit was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "no data file was begun: the unit sent no data (--silent?)");
    }
    EXPECT_TRUE(filesInDir().empty());
}

// The command line: a whole day from its midnight, one file, its name on stdout.
TEST_F(DayFileRecorderTest, CommandLineWritesOneFilePerDay) {
    testing::SimProcess sim({"--write-files", dir, "--from", "2026-03-14", "--days", "1", "--rate-index", "0"});
    const std::string printed = sim.firstLine(std::chrono::seconds(120));
    EXPECT_EQ(sim.wait(std::chrono::seconds(120)), 0);
    EXPECT_EQ(printed, dir + "/20260314000000.zuv");
    ASSERT_EQ(filesInDir(), std::vector<std::string>{"20260314000000.zuv"});
    const FileRead r = readFile(dir + "/20260314000000.zuv");
    EXPECT_EQ(r.header.FileSamplingRate, 1);
    ASSERT_EQ(r.records.seconds.size(), 86400u);
    EXPECT_EQ(r.records.seconds.front(), 0);
    EXPECT_EQ(r.records.seconds.back(), 86399);
}

struct BadArgs {
    const char* name;
    std::vector<std::string> args;
};

class DayFileOptionsTest : public DayFileRecorderTest, public ::testing::WithParamInterface<BadArgs> {};

TEST_P(DayFileOptionsTest, BadOptionsEndWithStatus2AndNoFile) {
    std::vector<std::string> args = GetParam().args;
    for (auto& a : args) {
        if (a == "DIR") a = dir;
    }
    testing::SimProcess sim(args);
    EXPECT_EQ(sim.wait(std::chrono::seconds(20)), 2);
    EXPECT_TRUE(filesInDir().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Options, DayFileOptionsTest,
    ::testing::Values(BadArgs{"NoFrom", {"--write-files", "DIR"}},
                      BadArgs{"FromWithoutDirectory", {"--from", "2026-03-14"}},
                      BadArgs{"BadDate", {"--write-files", "DIR", "--from", "2026-02-30"}},
                      BadArgs{"DateWithTime", {"--write-files", "DIR", "--from", "2026-03-14 00:00:00"}},
                      BadArgs{"NoDays", {"--write-files", "DIR", "--from", "2026-03-14", "--days", "0"}},
                      BadArgs{"RateIndex9", {"--write-files", "DIR", "--from", "2026-03-14", "--rate-index", "9"}}),
    [](const ::testing::TestParamInfo<BadArgs>& p) { return std::string(p.param.name); });

TEST_F(DayFileRecorderTest, MissingDirectoryEndsWithStatus1) {
    testing::SimProcess sim({"--write-files", dir + "/missing", "--from", "2026-03-14"});
    EXPECT_EQ(sim.wait(std::chrono::seconds(20)), 1);
    EXPECT_FALSE(fs::exists(dir + "/missing"));
}

}  // namespace
}  // namespace zuva::tools

#include "recording/DataRecordReader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "TestFiles.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataFileWriter.h"
#include "recording/TimeEncodeError.h"

namespace zuva::recording {
namespace {

using testing::readFile;
using testing::TempDir;

struct Sample {
    int recordSecond;
    double time;
    double bx, by, bz;
};

// Keeps every sample and the block boundaries it saw.
class Collector final : public RecordBlockConsumer {
public:
    bool consumeBlock(const RecordBlock& block) override {
        EXPECT_EQ(block.timeOfDay.size(), block.sampleCount());
        for (std::size_t i = 0; i < block.sampleCount(); ++i) {
            samples.push_back({block.recordSecond[i / block.samplesPerRecord], block.timeOfDay[i], block.bx[i],
                               block.by[i], block.bz[i]});
        }
        progress.push_back(block.progressPercent());
        ++blocks;
        return blocks < stopAfter;
    }
    std::vector<Sample> samples;
    std::vector<int> progress;
    int blocks = 0;
    int stopAfter = 1 << 30;
};

constexpr std::uint8_t kGainCodeStatus[] = {0x08, 0x09, 0x0A, 0x0B};
constexpr double kGains[] = {1, 10, 100, 1000};

std::int32_t countOf(int second, int j, int component) { return (second * 1000 + j * 7) * (component == 1 ? -1 : 1) + component; }

class DataRecordReaderRoundTrip : public ::testing::TestWithParam<int> {
protected:
    TempDir dir;
    fakes::RecordingLog log;
};

// Writes `seconds` records from 23:59:58 on (so across midnight), the gain code
// changing every record, and reads them back through the header scan.
TEST_P(DataRecordReaderRoundTrip, ValuesAndTimesComeBackWithEachRecordsGain) {
    const int rate = GetParam();
    const auto averaging = static_cast<std::uint16_t>(256 / rate);
    DataFileWriter writer(log);
    writer.setOutputDirectory(dir.path());
    DataFileHeaderInfo info;
    info.fileDate = "20090819";
    info.fileTime = "235958";
    info.dateText = "2009 08 19";
    info.averaging = averaging;
    info.samplingRateText = std::to_string(rate);
    info.sensitivity = 0.5;
    info.gainText = "1";
    writer.OpenNewDataFile(info);
    const int seconds = 5;
    const int startSecond = 86398;
    for (int s = 0; s < seconds; ++s) {
        SecondRecord r;
        const int tod = (startSecond + s) % 86400;
        r.statusByte = kGainCodeStatus[s % 4];
        r.hour = static_cast<std::uint8_t>(tod / 3600);
        r.minute = static_cast<std::uint8_t>(tod / 60 % 60);
        r.second = static_cast<std::uint8_t>(tod % 60);
        r.tripleCount = static_cast<std::uint16_t>(rate);
        for (int j = 0; j < rate; ++j) {
            r.bx[j] = countOf(s, j, 0);
            r.by[j] = countOf(s, j, 1);
            r.bz[j] = countOf(s, j, 2);
        }
        writer.AppendSecondRecord(r);
    }

    DataFileHeaderReader headerReader(log);
    const DataFileHeaderScan scan = headerReader.ReadDataFileHeader(writer.DataFileName());
    ASSERT_EQ(scan.FileSamplingRate, rate);
    for (const std::size_t blockSize : {std::size_t{100}, std::size_t{4096}}) {
        Collector c;
        DataRecordReader reader(log, blockSize);
        const RecordReadResult result = reader.read(writer.DataFileName(), scan, c);
        EXPECT_EQ(result.status, RecordReadResult::Status::Completed);
        EXPECT_EQ(result.recordsRead, static_cast<std::uint64_t>(seconds));
        EXPECT_EQ(result.tailBytes, 0u);
        ASSERT_EQ(c.samples.size(), static_cast<std::size_t>(seconds * rate));
        for (int s = 0; s < seconds; ++s) {
            const double factor = 0.5 / kGains[s % 4] / averaging;
            for (int j = 0; j < rate; ++j) {
                const Sample& got = c.samples[static_cast<std::size_t>(s * rate + j)];
                const int tod = (startSecond + s) % 86400;
                EXPECT_EQ(got.recordSecond, tod);
                EXPECT_DOUBLE_EQ(got.time, tod + static_cast<double>(j) / rate);
                EXPECT_DOUBLE_EQ(got.bx, countOf(s, j, 0) * factor);
                EXPECT_DOUBLE_EQ(got.by, countOf(s, j, 1) * factor);
                EXPECT_DOUBLE_EQ(got.bz, countOf(s, j, 2) * factor);
            }
        }
        EXPECT_EQ(c.progress.back(), 100);
        EXPECT_TRUE(std::is_sorted(c.progress.begin(), c.progress.end()));
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, DataRecordReaderRoundTrip, ::testing::Values(1, 64, 256));

class DataRecordReaderTest : public ::testing::Test {
protected:
    // A 1 Hz file with a minimal header and the given records (16 bytes each).
    void makeFile(const std::vector<std::string>& records, const std::string& tail = "") {
        std::string bytes = header;
        for (const auto& r : records) bytes += r;
        testing::writeFile(name, bytes + tail);
    }
    static std::string record(int h, int m, int s, std::uint8_t status = 0, std::int32_t bx = 256) {
        std::string r(16, '\0');
        r[0] = static_cast<char>(status);
        r[1] = static_cast<char>(h);
        r[2] = static_cast<char>(m);
        r[3] = static_cast<char>(s);
        for (int i = 0; i < 4; ++i) r[static_cast<std::size_t>(4 + i)] = static_cast<char>(bx >> (8 * i));
        return r;
    }
    DataFileHeaderScan scan() { return DataFileHeaderReader(log).ReadDataFileHeader(name); }

    TempDir dir;
    std::string name = dir.file("r.zuv");
    std::string header = "<zuva_header>\r\n\t<samplingrate>1</samplingrate>\r\n\t<averaging>256</averaging>\r\n</zuva_header>\r\n";
    fakes::RecordingLog log;
    DataRecordReader reader{log};
    Collector c;
};

TEST_F(DataRecordReaderTest, IncompleteLastRecordIsIgnored) {
    makeFile({record(1, 2, 3), record(1, 2, 4)}, std::string(15, '\x01'));
    const RecordReadResult result = reader.read(name, scan(), c);
    EXPECT_EQ(result.status, RecordReadResult::Status::Completed);
    EXPECT_EQ(result.recordsRead, 2u);
    EXPECT_EQ(result.tailBytes, 15u);
    ASSERT_EQ(c.samples.size(), 2u);
    EXPECT_EQ(c.samples[1].recordSecond, 3724);
    EXPECT_DOUBLE_EQ(c.samples[1].bx, 1.0);
}

TEST_F(DataRecordReaderTest, InvalidTimeStopsAfterDeliveringTheRecordsBefore) {
    for (const auto& bad : {record(24, 0, 0), record(0, 60, 0), record(0, 0, 60)}) {
        c.samples.clear();
        makeFile({record(1, 2, 3), record(1, 2, 4), bad, record(1, 2, 6)});
        try {
            reader.read(name, scan(), c);
            FAIL() << "no error";
        } catch (const TimeEncodeError& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to time encode");
            EXPECT_EQ(e.offset(), header.size() + 32);
        }
        EXPECT_EQ(c.samples.size(), 2u);
    }
}

TEST_F(DataRecordReaderTest, ConsumerCanStopTheReading) {
    makeFile({record(1, 2, 3), record(1, 2, 4), record(1, 2, 5)});
    DataRecordReader small(log, 1);
    c.stopAfter = 2;
    const RecordReadResult result = small.read(name, scan(), c);
    EXPECT_EQ(result.status, RecordReadResult::Status::Stopped);
    EXPECT_EQ(c.samples.size(), 2u);
}

TEST_F(DataRecordReaderTest, MissingFileAndMissingRateReadNothing) {
    RecordReadResult result = reader.read(dir.file("none.zuv"), DataFileHeaderScan{}, c);
    EXPECT_EQ(result.status, RecordReadResult::Status::FileNotFound);
    EXPECT_EQ(result.message, "File \r\n" + dir.file("none.zuv") + "\r\n not found :-( !");
    EXPECT_TRUE(log.lines.empty());

    makeFile({record(1, 2, 3)});
    result = reader.read(name, DataFileHeaderScan{}, c);
    EXPECT_EQ(result.status, RecordReadResult::Status::NoSamplingRate);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Error  SamplingRate=0!"});
    EXPECT_TRUE(c.samples.empty());
}

TEST_F(DataRecordReaderTest, GainCodeOfTheStatusByteDividesEachRecord) {
    makeFile({record(0, 0, 0, 0x02, 25600), record(0, 0, 1, 0x00, 25600)});
    reader.read(name, scan(), c);
    ASSERT_EQ(c.samples.size(), 2u);
    EXPECT_DOUBLE_EQ(c.samples[0].bx, 1.0);    // 25600 / 100 / 256
    EXPECT_DOUBLE_EQ(c.samples[1].bx, 100.0);  // 25600 / 1 / 256
}

TEST_F(DataRecordReaderTest, ScanThatNoHeaderReaderMakesIsRefused) {
    makeFile({record(0, 0, 0)});
    DataFileHeaderScan bad = scan();
    bad.FileSamplingRate = 100000;
    EXPECT_THROW(reader.read(name, bad, c), std::invalid_argument);
    bad = scan();
    bad.averaging = 0;
    EXPECT_THROW(reader.read(name, bad, c), std::invalid_argument);
}

}  // namespace
}  // namespace zuva::recording

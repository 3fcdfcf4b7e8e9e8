#include "recording/DataTextExporter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataFileWriter.h"
#include "recording/TimeEncodeError.h"

namespace zuva::recording {
namespace {

using testing::readFile;
using testing::TempDir;

class DataTextExporterTest : public ::testing::Test {
protected:
    // A file at `rate` Hz, sensitivity 1, with the given seconds; sample j of a second
    // holds the counts (bx, by, bz) + j.
    std::string makeFile(int rate, const std::vector<SecondRecord>& seconds) {
        DataFileWriter writer(log);
        writer.setOutputDirectory(dir.path());
        DataFileHeaderInfo info;
        info.fileDate = "20090819";
        info.fileTime = "134501";
        info.dateText = "2009 08 19";
        info.averaging = static_cast<std::uint16_t>(256 / rate);
        info.samplingRateText = std::to_string(rate);
        info.sensitivity = 1.0;
        info.gainText = "1";
        writer.OpenNewDataFile(info);
        for (const SecondRecord& r : seconds) writer.AppendSecondRecord(r);
        log.clear();
        return writer.DataFileName();
    }
    static SecondRecord second(int h, int m, int s, int rate, std::int32_t bx, std::int32_t by, std::int32_t bz,
                               std::uint8_t status = 0x08) {
        SecondRecord r;
        r.statusByte = status;
        r.hour = static_cast<std::uint8_t>(h);
        r.minute = static_cast<std::uint8_t>(m);
        r.second = static_cast<std::uint8_t>(s);
        r.tripleCount = static_cast<std::uint16_t>(rate);
        for (int j = 0; j < rate; ++j) {
            r.bx[j] = bx + j;
            r.by[j] = by + j;
            r.bz[j] = bz + j;
        }
        return r;
    }
    DataFileHeaderScan scan(const std::string& name) { return DataFileHeaderReader(log).ReadDataFileHeader(name); }

    TempDir dir;
    fakes::RecordingLog log;
};

TEST_F(DataTextExporterTest, LinesInAPointAndACommaLocale) {
    // 1 Hz, averaging 256: sums of 256 counts, 3160494 / 256 = 12345.6796875 keeps 10
    // significant digits, the tie 0.0078125 below rounds away from zero.
    const std::string name = makeFile(1, {second(13, 45, 1, 1, 3160494, -60032, 10240064)});
    for (const auto& [sep, line] : {std::pair<char, std::string>{'.', "13 45 01 1 12345.679690 -234.500000 40000.250000 \r\n"},
                                    std::pair<char, std::string>{',', "13 45 01 1 12345,679690 -234,500000 40000,250000 \r\n"}}) {
        LocaleFormats formats;
        formats.decimalSeparator = sep;
        DataTextExporter exporter(log, formats);
        const ExportResult result = exporter.ExportDataToText(name, scan(name));
        EXPECT_EQ(result.status, ExportResult::Status::Completed);
        EXPECT_EQ(result.outputName, name + ".txt");
        EXPECT_EQ(result.linesWritten, 1u);
        EXPECT_EQ(readFile(name + ".txt"), line);  // also: a second export replaces the first
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DataTextExporterTest, SixtyFourHertzGivesSixtyFourLinesPerSecondWithTheSecondsTime) {
    const std::string name = makeFile(64, {second(23, 59, 59, 64, 0, 4, -4, 0x09), second(0, 0, 0, 64, 40, 0, 0)});
    std::vector<int> progress;
    DataTextExporter exporter(log, LocaleFormats{});
    const ExportResult result = exporter.ExportDataToText(name, scan(name), [&](int p) { progress.push_back(p); });
    EXPECT_EQ(result.linesWritten, 128u);
    const std::string text = readFile(name + ".txt");
    std::vector<std::string> lines;
    for (std::size_t p = 0, e; (e = text.find("\r\n", p)) != std::string::npos; p = e + 2) lines.push_back(text.substr(p, e - p));
    ASSERT_EQ(lines.size(), 128u);
    // gain code 1 (10), averaging 4: value = (count + j) / 40
    EXPECT_EQ(lines[0], "23 59 59 1 0.000000 0.100000 -0.100000 ");
    EXPECT_EQ(lines[1], "23 59 59 2 0.025000 0.125000 -0.075000 ");
    EXPECT_EQ(lines[63], "23 59 59 64 1.575000 1.675000 1.475000 ");
    EXPECT_EQ(lines[64], "00 00 00 1 10.000000 0.000000 0.000000 ");
    EXPECT_EQ(lines[127], "00 00 00 64 25.750000 15.750000 15.750000 ");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
}

TEST_F(DataTextExporterTest, MissingFileGivesTheMessageAndNoOutput) {
    DataTextExporter exporter(log, LocaleFormats{});
    for (const std::string& name : {dir.file("gone.zuv"), std::string()}) {
        const ExportResult result = exporter.ExportDataToText(name, DataFileHeaderScan{});
        EXPECT_EQ(result.status, ExportResult::Status::FileNotFound);
        EXPECT_EQ(result.message, "File \r\n" + name + "\r\n not found :-( !");
        EXPECT_FALSE(std::filesystem::exists(name + ".txt"));
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DataTextExporterTest, NoSamplingRateIsLoggedAndWritesNoOutput) {
    const std::string name = makeFile(1, {second(1, 2, 3, 1, 0, 0, 0)});
    DataTextExporter exporter(log, LocaleFormats{});
    DataFileHeaderScan none = scan(name);
    none.FileSamplingRate = 0;
    EXPECT_EQ(exporter.ExportDataToText(name, none).status, ExportResult::Status::NoSamplingRate);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Error  SamplingRate=0!"});
    EXPECT_FALSE(std::filesystem::exists(name + ".txt"));
}

TEST_F(DataTextExporterTest, InvalidTimeStopsButKeepsTheLinesWritten) {
    const std::string name = makeFile(2, {second(1, 2, 3, 2, 0, 0, 0), second(25, 0, 0, 2, 0, 0, 0), second(1, 2, 5, 2, 0, 0, 0)});
    DataTextExporter exporter(log, LocaleFormats{});
    EXPECT_THROW(exporter.ExportDataToText(name, scan(name)), TimeEncodeError);
    EXPECT_EQ(readFile(name + ".txt"), "01 02 03 1 0.000000 0.000000 0.000000 \r\n01 02 03 2 0.007813 0.007813 0.007813 \r\n");
}

}  // namespace
}  // namespace zuva::recording

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <limits>

#include "ProductsTestDir.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/RecordingLog.h"
#include "products/IagaChecker.h"
#include "products/IagaDayWriter.h"
#include "products/IagaFileReader.h"
#include "products/IagaFormat.h"

namespace zuva::products {
namespace {

using testing::ProductsTestDir;
using testing::readText;
using testing::writeText;
using Call = fakes::FailingFileSystem::Call;

constexpr std::int64_t kDay = 1773446400;  // 2026-03-14 00:00:00 UTC
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

IagaHeader header(Interval interval) {
    IagaHeader h;
    h.source = "Institute";
    h.stationName = "Abc";
    h.iagaCode = "ABC";
    h.intervalType = IagaFormat::intervalTypeText(interval);
    return h;
}

class IagaDayWriterTest : public ::testing::Test {
protected:
    IagaDayWriter::Options options(std::size_t maxWaiting = 3 * 86400) {
        return {dir.path(), header(Interval::Second), header(Interval::Minute), 'v', maxWaiting};
    }
    std::string secFile(std::int64_t day = kDay) const {
        return dir.file(IagaFormat::fileName("ABC", day, 'v', Interval::Second));
    }
    std::string minFile(std::int64_t day = kDay) const {
        return dir.file(IagaFormat::fileName("ABC", day, 'v', Interval::Minute));
    }
    static std::string violations(const std::string& path) {
        std::string out;
        for (const IagaViolation& v : IagaChecker::checkFile(path)) out += std::to_string(v.line) + ": " + v.message + "\n";
        return out;
    }

    ProductsTestDir dir;
    fakes::FailingFileSystem fs;
    fakes::RecordingLog log;
};

TEST_F(IagaDayWriterTest, WritesEachValueInItsPlaceWithMissingRecordsBetween) {
    IagaDayWriter writer(fs, log, options());
    writer.valueReady(Interval::Minute, {kDay + 60, 1.5, -2.25, 30000.0});
    writer.valueReady(Interval::Minute, {kDay + 180, kNaN, 3.0, 4.0});
    EXPECT_EQ(readText(minFile()),
              IagaFormat::headerText(header(Interval::Minute)) +
                  "2026-03-14 00:00:00.000 073     99999.00  99999.00  99999.00  88888.00\n"
                  "2026-03-14 00:01:00.000 073         1.50     -2.25  30000.00  88888.00\n"
                  "2026-03-14 00:02:00.000 073     99999.00  99999.00  99999.00  88888.00\n"
                  "2026-03-14 00:03:00.000 073     99999.00      3.00      4.00  88888.00\n");
    EXPECT_EQ(violations(minFile()), "");
    EXPECT_FALSE(std::filesystem::exists(secFile()));
    EXPECT_EQ(writer.currentFile(Interval::Minute), minFile());
    EXPECT_EQ(writer.waitingRecords(), 0u);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(IagaDayWriterTest, TheNextDayCompletesTheFileOfTheDayBefore) {
    IagaDayWriter writer(fs, log, options());
    writer.valueReady(Interval::Second, {kDay + 86397, 1, 2, 3});
    writer.valueReady(Interval::Second, {kDay + 86400 + 1, 4, 5, 6});
    const IagaFile first = IagaFileReader::readFile(secFile());
    ASSERT_EQ(first.records.size(), 86400u);
    EXPECT_EQ(first.records.back().time, kDay + 86399);
    EXPECT_TRUE(std::isnan(first.records.back().x));
    EXPECT_EQ(first.records[86397].x, 1.0);
    const IagaFile second = IagaFileReader::readFile(secFile(kDay + 86400));
    ASSERT_EQ(second.records.size(), 2u);
    EXPECT_EQ(second.records[1].z, 6.0);
    EXPECT_EQ(violations(secFile()), "");
    EXPECT_EQ(violations(secFile(kDay + 86400)), "");
}

TEST_F(IagaDayWriterTest, ARestartAfterMidnightCompletesTheFileOfTheDayBefore) {
    {
        IagaDayWriter writer(fs, log, options());
        writer.valueReady(Interval::Minute, {kDay + 86400 - 180, 1, 2, 3});  // 23:57
    }
    IagaDayWriter writer(fs, log, options());
    writer.valueReady(Interval::Minute, {kDay + 86400 + 300, 4, 5, 6});  // 00:05 the next day
    const IagaFile before = IagaFileReader::readFile(minFile());
    ASSERT_EQ(before.records.size(), 1440u);
    EXPECT_EQ(before.records[1437].x, 1.0);
    EXPECT_TRUE(std::isnan(before.records[1439].x));
    EXPECT_EQ(violations(minFile()), "");
    EXPECT_EQ(IagaFileReader::readFile(minFile(kDay + 86400)).records.size(), 6u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"IAGA-2002 file " + minFile() + " continued after 2026-03-14 23:57:00"}));
    // A complete file of the day before is left alone.
    log.clear();
    IagaDayWriter third(fs, log, options());
    third.valueReady(Interval::Minute, {kDay + 86400 + 360, 7, 8, 9});
    EXPECT_EQ(IagaFileReader::readFile(minFile()).records.size(), 1440u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"IAGA-2002 file " + minFile(kDay + 86400) +
                                                   " continued after 2026-03-15 00:05:00"}));
}

TEST_F(IagaDayWriterTest, ARestartContinuesTheDayAfterItsLastWholeRecord) {
    {
        IagaDayWriter writer(fs, log, options());
        for (std::int64_t t = kDay + 590; t <= kDay + 600; ++t) writer.valueReady(Interval::Second, {t, 1, 2, 3});
    }
    // A run killed in the middle of a record.
    std::ofstream(secFile(), std::ios::binary | std::ios::app) << "2026-03-14 00:10:01.000 073     ";
    IagaDayWriter writer(fs, log, options());
    writer.valueReady(Interval::Second, {kDay + 595, 9, 9, 9});  // already there
    writer.valueReady(Interval::Second, {kDay + 600, 9, 9, 9});
    writer.valueReady(Interval::Second, {kDay + 603, 7, 8, 9});
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{
                  "IAGA-2002 file " + secFile() + " continued after 2026-03-14 00:10:00, an incomplete last record cut off",
                  "IAGA-2002 file " + secFile() + " already holds 2026-03-14 00:09:55; values up to 2026-03-14 00:10:00 left out"}));
    const std::string text = readText(secFile());
    EXPECT_EQ(text.substr(text.size() - 71 * 4),
              "2026-03-14 00:10:00.000 073         1.00      2.00      3.00  88888.00\n"
              "2026-03-14 00:10:01.000 073     99999.00  99999.00  99999.00  88888.00\n"
              "2026-03-14 00:10:02.000 073     99999.00  99999.00  99999.00  88888.00\n"
              "2026-03-14 00:10:03.000 073         7.00      8.00      9.00  88888.00\n");
    EXPECT_EQ(violations(secFile()), "");
}

TEST_F(IagaDayWriterTest, AFileThatDoesNotFitIsMovedAsideAndANewOneBegun) {
    writeText(minFile(), "not an IAGA-2002 file\n");
    writeText(minFile() + ".old", "an older one\n");
    IagaDayWriter writer(fs, log, options());
    writer.valueReady(Interval::Minute, {kDay, 1, 2, 3});
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "IAGA-2002 file " + minFile() +
                                " does not fit this station's data (it is not IAGA-2002 (line 1: neither a header "
                                "record (label from column 2, value from column 25) nor the column header)); moved to " +
                                minFile() + ".old2");
    EXPECT_EQ(readText(minFile() + ".old2"), "not an IAGA-2002 file\n");
    EXPECT_EQ(violations(minFile()), "");

    // Another station's file of the day.
    IagaHeader other = header(Interval::Second);
    other.iagaCode = "XYZ";
    writeText(secFile(), IagaFormat::headerText(other));
    writer.valueReady(Interval::Second, {kDay + 5, 1, 2, 3});
    EXPECT_EQ(log.lines.back(), "IAGA-2002 file " + secFile() +
                                    " does not fit this station's data (its IAGA code is XYZ); moved to " + secFile() +
                                    ".old");
    EXPECT_EQ(IagaFileReader::readFile(secFile()).records.size(), 6u);
}

TEST_F(IagaDayWriterTest, AFullDiskKeepsTheValuesUntilItTakesThemAgain) {
    IagaDayWriter writer(fs, log, options());
    writer.valueReady(Interval::Second, {kDay, 0, 0, 0});
    fs.failNext(Call::Write, 3, ENOSPC);
    for (std::int64_t t = kDay + 1; t <= kDay + 3; ++t) writer.valueReady(Interval::Second, {t, 1, 1, 1});
    EXPECT_EQ(writer.waitingRecords(), 3u);
    EXPECT_EQ(IagaFileReader::readFile(secFile()).records.size(), 1u);
    writer.valueReady(Interval::Second, {kDay + 4, 2, 2, 2});
    EXPECT_EQ(writer.waitingRecords(), 0u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "IAGA-2002 file " + secFile() + ": cannot write it (No space left on device); 1 records wait and are tried again",
                             "IAGA-2002 file " + secFile() + " written again, 4 waiting records caught up"}));
    const IagaFile f = IagaFileReader::readFile(secFile());
    ASSERT_EQ(f.records.size(), 5u);
    EXPECT_EQ(f.records[3].x, 1.0);
    EXPECT_EQ(f.records[4].x, 2.0);

    // A write cut short leaves the rest of the record waiting, never a gap.
    fs.cutNextWrite(30);
    fs.failNext(Call::Write, 1, ENOSPC);
    writer.valueReady(Interval::Second, {kDay + 5, 3, 3, 3});
    EXPECT_EQ(writer.waitingRecords(), 1u);
    writer.retry();
    EXPECT_EQ(writer.waitingRecords(), 0u);
    EXPECT_EQ(violations(secFile()), "");
    EXPECT_EQ(IagaFileReader::readFile(secFile()).records.back().x, 3.0);
}

TEST_F(IagaDayWriterTest, ANewFileAppearsOnlyWithItsHeaderWhole) {
    IagaDayWriter writer(fs, log, options());
    fs.failNext(Call::Write, 1, EIO);
    writer.valueReady(Interval::Minute, {kDay, 1, 2, 3});
    EXPECT_FALSE(std::filesystem::exists(minFile()));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"IAGA-2002 file " + minFile() +
                                                   ": cannot write it (Input/output error); 1 records wait and are tried again"}));
    writer.retry();
    EXPECT_EQ(violations(minFile()), "");
    EXPECT_EQ(IagaFileReader::readFile(minFile()).records.size(), 1u);
}

TEST_F(IagaDayWriterTest, WithoutUnnamedFilesTheFileIsMadeUnderItsName) {
    IagaDayWriter writer(fs, log, options());
    fs.failNext(Call::Open, 1, EOPNOTSUPP);  // O_TMPFILE refused, as on FAT
    writer.valueReady(Interval::Minute, {kDay + 60, 1, 2, 3});
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(fs.calls(Call::Open), 2);
    EXPECT_EQ(violations(minFile()), "");
    EXPECT_EQ(IagaFileReader::readFile(minFile()).records.size(), 2u);
    writer.valueReady(Interval::Minute, {kDay + 120, 4, 5, 6});
    EXPECT_EQ(IagaFileReader::readFile(minFile()).records.size(), 3u);
}

TEST_F(IagaDayWriterTest, WhenTooMuchWaitsTheNewestValuesBecomeMissingRecords) {
    IagaDayWriter writer(fs, log, options(5));
    writer.valueReady(Interval::Second, {kDay, 0, 0, 0});
    fs.failNext(Call::Open, 100, ENOSPC);
    for (std::int64_t t = kDay + 1; t <= kDay + 8; ++t) writer.valueReady(Interval::Second, {t, 1, 1, 1});
    EXPECT_EQ(writer.waitingRecords(), 5u);
    fs.heal();
    writer.valueReady(Interval::Second, {kDay + 9, 2, 2, 2});
    const IagaFile f = IagaFileReader::readFile(secFile());
    ASSERT_EQ(f.records.size(), 10u);
    EXPECT_EQ(f.records[5].x, 1.0);
    EXPECT_TRUE(std::isnan(f.records[6].x));
    EXPECT_TRUE(std::isnan(f.records[8].x));
    EXPECT_EQ(f.records[9].x, 2.0);
    EXPECT_EQ(violations(secFile()), "");
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "IAGA-2002 files: 5 records wait to be written; newer values are left out and written as missing"),
              log.lines.end());
}

TEST_F(IagaDayWriterTest, AFileRemovedWhileRecordingIsMadeAgain) {
    IagaDayWriter writer(fs, log, options());
    writer.valueReady(Interval::Minute, {kDay + 120, 1, 2, 3});
    std::filesystem::remove(minFile());
    writer.valueReady(Interval::Minute, {kDay + 180, 4, 5, 6});
    EXPECT_EQ(log.lines, (std::vector<std::string>{"IAGA-2002 file " + minFile() + " has gone; it is made again"}));
    const IagaFile f = IagaFileReader::readFile(minFile());
    ASSERT_EQ(f.records.size(), 4u);
    EXPECT_TRUE(std::isnan(f.records[2].x));
    EXPECT_EQ(f.records[3].x, 4.0);
    EXPECT_EQ(violations(minFile()), "");
}

}  // namespace
}  // namespace zuva::products

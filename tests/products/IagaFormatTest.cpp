#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "products/IagaChecker.h"
#include "products/IagaFileReader.h"
#include "products/IagaFormat.h"
#include "recording/UtcCalendar.h"

namespace zuva::products {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::int64_t at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return recording::UtcCalendar::toEpoch({y, mo, d, h, mi, s});
}

IagaHeader abcHeader(Interval interval) {
    IagaHeader h;
    h.source = "Zuva Geophysical Institute";
    h.stationName = "Abc Test Station";
    h.iagaCode = "ABC";
    h.latitude = "48.118";
    h.longitude = "11.517";
    h.elevation = "545";
    h.intervalType = IagaFormat::intervalTypeText(interval);
    return h;
}

TEST(IagaFormat, HeaderRecordsColumnHeaderAndCommentsAreExact) {
    IagaHeader h = abcHeader(Interval::Minute);
    h.comments = {"Values in nT."};
    const std::string expected =
        " Format                 IAGA-2002                                    |\n"
        " Source of Data         Zuva Geophysical Institute                   |\n"
        " Station Name           Abc Test Station                             |\n"
        " IAGA Code              ABC                                          |\n"
        " Geodetic Latitude      48.118                                       |\n"
        " Geodetic Longitude     11.517                                       |\n"
        " Elevation              545                                          |\n"
        " Reported               XYZF                                         |\n"
        " Sensor Orientation     XYZ                                          |\n"
        " Digital Sampling       0.00390625 second                            |\n"
        " Data Interval Type     1-minute (00:15-01:45)                       |\n"
        " Data Type              variation                                    |\n"
        " # Values in nT.                                                     |\n"
        "DATE       TIME         DOY     ABCX      ABCY      ABCZ      ABCF   |\n";
    EXPECT_EQ(IagaFormat::headerText(h), expected);
}

TEST(IagaFormat, LongValuesAreCutAndLongCommentsWrapAtABlank) {
    const std::string record = IagaFormat::headerRecord("Station Name", std::string(60, 'n'));
    EXPECT_EQ(record, " Station Name           " + std::string(45, 'n') + "|\n");
    const std::string text = std::string(40, 'a') + " " + std::string(40, 'b');
    EXPECT_EQ(IagaFormat::commentRecords(text),
              " # " + std::string(40, 'a') + std::string(26, ' ') + "|\n" + " # " + std::string(40, 'b') +
                  std::string(26, ' ') + "|\n");
}

TEST(IagaFormat, DataRecordsCarryValuesMissingAndNotRecordedFill) {
    EXPECT_EQ(IagaFormat::dataRecord({at(2026, 3, 14, 0, 0, 0), 20345.12, -1234.5, 43210.0}),
              "2026-03-14 00:00:00.000 073     20345.12  -1234.50  43210.00  88888.00\n");
    EXPECT_EQ(IagaFormat::dataRecord({at(2024, 12, 31, 23, 59, 59), kNaN, 0.004, -0.005}),
              "2024-12-31 23:59:59.000 366     99999.00      0.00     -0.01  88888.00\n");
    // A value that does not fit F9.2 is no measurement this format can carry.
    EXPECT_EQ(IagaFormat::field(-1234567.0), "  99999.00");
    EXPECT_EQ(IagaFormat::field(std::numeric_limits<double>::infinity()), "  99999.00");
}

TEST(IagaFormat, FileNamesFollowCodeDateTypeAndInterval) {
    EXPECT_EQ(IagaFormat::fileName("ABC", at(2026, 3, 14, 17, 3, 9), 'v', Interval::Second), "abc20260314vsec.sec");
    EXPECT_EQ(IagaFormat::fileName("ABC", at(2026, 3, 14), 'v', Interval::Minute), "abc20260314vmin.min");
    EXPECT_EQ(IagaFormat::fileName("Wng", at(2025, 1, 2), 'q', Interval::Minute), "wng20250102qmin.min");
}

std::string minuteFile() {
    std::string text = IagaFormat::headerText(abcHeader(Interval::Minute));
    text += IagaFormat::dataRecord({at(2026, 3, 14, 0, 0), 1.0, 2.0, 3.0});
    text += IagaFormat::dataRecord({at(2026, 3, 14, 0, 1), kNaN, 5.0, 6.0});
    return text;
}

TEST(IagaFileReader, ReadsWhatTheFormatWrites) {
    const IagaFile f = IagaFileReader::parse(minuteFile());
    EXPECT_EQ(f.header.iagaCode, "ABC");
    EXPECT_EQ(f.header.stationName, "Abc Test Station");
    EXPECT_EQ(f.header.latitude, "48.118");
    EXPECT_EQ(f.headerLabels.size(), 12u);
    EXPECT_EQ(f.columns[0], "ABCX");
    EXPECT_EQ(f.columns[3], "ABCF");
    ASSERT_TRUE(f.interval.has_value());
    EXPECT_EQ(*f.interval, Interval::Minute);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_EQ(f.records[1].time, at(2026, 3, 14, 0, 1));
    EXPECT_TRUE(std::isnan(f.records[1].x));
    EXPECT_DOUBLE_EQ(f.records[1].z, 6.0);
}

TEST(IagaFileReader, ReadsAPartialHeaderWithCrLfAndTakesCodeAndIntervalFromTheData) {
    const std::string text =
        " IAGA Code              XYZ\r\n"
        "DATE       TIME         DOY     XYZX      XYZY      XYZZ      XYZF   |\r\n"
        "2026-03-14 00:00:00.000 073      1.00  2.00  3.00  88888.00\r\n"
        "2026-03-14 00:00:01.000 073      4.00  5.00  88888.00  88888.00\r\n";
    const IagaFile f = IagaFileReader::parse(text);
    EXPECT_EQ(f.header.iagaCode, "XYZ");
    EXPECT_EQ(f.headerLabels, std::vector<std::string>{"IAGA Code"});
    ASSERT_TRUE(f.interval.has_value());
    EXPECT_EQ(*f.interval, Interval::Second);
    ASSERT_EQ(f.records.size(), 2u);
    EXPECT_TRUE(std::isnan(f.records[1].z));

    const IagaFile noCode = IagaFileReader::parse(
        "DATE       TIME         DOY     QRSX      QRSY      QRSZ      QRSF   |\n");
    EXPECT_EQ(noCode.header.iagaCode, "QRS");
    EXPECT_FALSE(noCode.interval.has_value());
}

struct BadInput {
    const char* name;
    std::string text;
    std::size_t line;
    std::string message;
};

class IagaFileReaderRefuses : public ::testing::TestWithParam<BadInput> {};

TEST_P(IagaFileReaderRefuses, WithTheLineAndWhy) {
    try {
        IagaFileReader::parse(GetParam().text);
        FAIL() << "accepted";
    } catch (const IagaReadError& e) {
        EXPECT_EQ(e.line(), GetParam().line);
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

const std::string kColumns = "DATE       TIME         DOY     ABCX      ABCY      ABCZ      ABCF   |\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, IagaFileReaderRefuses,
    ::testing::Values(
        BadInput{"NoColumnHeader", " IAGA Code              ABC   |\n", 0,
                 "no column header (DATE TIME DOY ...) found"},
        BadInput{"TextBeforeColumns", "hello\n" + kColumns, 1,
                 "line 1: neither a header record (label from column 2, value from column 25) nor the column header"},
        BadInput{"ShortColumnHeader", "DATE TIME DOY ABCX ABCY\n", 1,
                 "line 1: column header needs DATE, TIME, DOY and four column names"},
        BadInput{"BadDate", kColumns + "2026-02-30 00:00:00.000 061  1.00 2.00 3.00 88888.00\n", 2,
                 "line 2: time stamp \"2026-02-30 00:00:00.000\" is no valid date and time"},
        BadInput{"FractionalSecond", kColumns + "2026-03-14 00:00:00.500 073  1.00 2.00 3.00 88888.00\n", 2,
                 "line 2: time stamp \"2026-03-14 00:00:00.500\" is not on a whole second"},
        BadInput{"NotANumber", kColumns + "2026-03-14 00:00:00.000 073  1.00 abc 3.00 88888.00\n", 2,
                 "line 2: value 2 \"abc\" is no number"}),
    [](const ::testing::TestParamInfo<BadInput>& p) { return std::string(p.param.name); });

TEST(IagaChecker, AcceptsWhatTheFormatWrites) {
    EXPECT_TRUE(IagaChecker::check(minuteFile(), "abc20260314vmin.min").empty());
}

TEST(IagaChecker, TheFileNameMustAgreeWithCodeAndDataType) {
    const auto v = IagaChecker::check(minuteFile(), "xyz20260314pmin.min");
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].message, "file name \"xyz20260314pmin.min\" does not begin with the IAGA code in lower case");
    EXPECT_EQ(v[1].message, "file name \"xyz20260314pmin.min\" has the data type letter p, the Data Type is variation");
    EXPECT_EQ(IagaChecker::check(minuteFile(), "abc2026031vmin.min").at(0).message,
              "file name \"abc2026031vmin.min\" is not <code><yyyymmdd><t><sec|min>.<sec|min>");
}

std::string describe(const std::vector<IagaViolation>& v) {
    std::string out;
    for (const IagaViolation& x : v) out += std::to_string(x.line) + ": " + x.message + "\n";
    return out;
}

TEST(IagaChecker, ReportsEachViolationWithItsLine) {
    std::string text = minuteFile();
    // Swap the Station Name and Source of Data records.
    const std::size_t second = 71, third = 142;
    text = text.substr(0, second) + text.substr(third, 71) + text.substr(second, 71) + text.substr(third + 71);
    text += "2026-03-14 00:03:00.000 074         1.00      2.00  12345678  88888.00\n";  // gap, doy, field
    text += "2026-03-14 00:04:00.000 073         1.00  90000.00      3.00  88888.00\n";  // bad fill
    text += "2026-03-14 00:05:00.000 073         1.00      2.00      3.00  88888.00";    // no line end
    EXPECT_EQ(describe(IagaChecker::check(text, "abc20260315vsec.sec")),
              "0: the last record has no line end\n"
              "2: header record 2 is not \"Source of Data\" in column 2 with its value from column 25\n"
              "3: header record 3 is not \"Station Name\" in column 2 with its value from column 25\n"
              "16: day of year 074 does not match the date (073)\n"
              "16: field 3 \"  12345678\" is not a blank and F9.2\n"
              "16: time stamp is 120 s after the one before, not 60 s\n"
              "17: field 2 \"  90000.00\" is neither a value nor 99999.00 (missing) nor 88888.00 (not recorded)\n"
              "0: file name \"abc20260315vsec.sec\" does not match the Data Interval Type\n"
              "0: file name \"abc20260315vsec.sec\" does not carry the date of the records\n");
}

TEST(IagaChecker, ReportsLengthFrameColumnsAndDayRules) {
    std::string text = IagaFormat::headerText(abcHeader(Interval::Second));
    text.replace(text.find("ABCZ"), 4, "ABCQ");
    text.replace(69, 1, " ");  // the "|" of the first record
    text += IagaFormat::dataRecord({at(2026, 3, 14, 23, 59, 59), 1, 2, 3});
    text += IagaFormat::dataRecord({at(2026, 3, 15, 0, 0, 0), 1, 2, 3});
    text += "2026-03-15 00:00:01.000 074      1.00\n";
    EXPECT_EQ(describe(IagaChecker::check(text, "")),
              "1: header record has no \"|\" in column 70\n"
              "13: column header is not \"DATE       TIME         DOY     ABCX      ABCY      ABCZ      ABCF   |\"\n"
              "15: record of another UTC day than the first record\n"
              "16: record has 37 characters, not 70\n"
              "16: record of another UTC day than the first record\n");
}

}  // namespace
}  // namespace zuva::products

#include "recording/DataFileHeaderReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileHeaderComposer.h"
#include "recording/IoError.h"

namespace zuva::recording {
namespace {

using testing::TempDir;
using testing::writeFile;

DataFileHeaderInfo info64() {
    DataFileHeaderInfo info;
    info.fileDate = "20090819";
    info.fileTime = "000000";
    info.dateText = "2009 08 19";
    info.averaging = 4;
    info.samplingRateText = "64";
    info.sensitivity = 0.5;
    info.gainText = "10";
    info.longitude = "03736.5678E";
    info.latitude = "5540.1234N";
    info.altitude = "150.0";
    return info;
}

class DataFileHeaderReaderTest : public ::testing::Test {
protected:
    DataFileHeaderScan scan(const std::string& bytes, double sensitivity = 1.0) {
        writeFile(name, bytes);
        return reader.ReadDataFileHeader(name, sensitivity);
    }

    TempDir dir;
    std::string name = dir.file("x.zuv");
    fakes::RecordingLog log;
    DataFileHeaderReader reader{log};
};

TEST_F(DataFileHeaderReaderTest, ReadsBackAWrittenHeader) {
    const std::string header = DataFileHeaderComposer::compose(info64(), "site 4").text;
    const DataFileHeaderScan s = scan(header + std::string(772, '\0'));
    EXPECT_TRUE(s.endFound);
    EXPECT_EQ(s.HeaderLength, static_cast<std::int32_t>(header.size()));
    EXPECT_EQ(s.FileSamplingRate, 64);
    EXPECT_EQ(s.averaging, 4);
    EXPECT_DOUBLE_EQ(s.sensitivity, 0.5);
    EXPECT_EQ(s.FileInfoText, "Remarks: site 4. GPS data from file: 03736.5678E 5540.1234N 150.0");
    EXPECT_TRUE(s.refusal.empty());
    EXPECT_TRUE(log.lines.empty()) << log.lines[0];
}

TEST_F(DataFileHeaderReaderTest, InfoTextCases) {
    struct Case {
        const char* remarks;
        const char* lon;
        const char* lat;
        const char* alt;
        const char* info;
    };
    const Case cases[] = {
        {"", "", "", "", ""},
        {"site 4", "", "", "", "Remarks: site 4."},
        {"", "E1", "N2", "3", "GPS data from file: E1 N2 3"},
        {"", "", "N2", "3", "N2 3"},  // the prefix follows the longitude only
    };
    for (const Case& c : cases) {
        DataFileHeaderInfo info = info64();
        info.longitude = c.lon;
        info.latitude = c.lat;
        info.altitude = c.alt;
        EXPECT_EQ(scan(DataFileHeaderComposer::compose(info, c.remarks).text).FileInfoText, c.info) << c.remarks;
    }
}

TEST_F(DataFileHeaderReaderTest, RemarksRoundTripThroughTheDeclaredCodePage) {
    struct Case {
        const char* remark;      // as typed (UTF-8)
        const char* onDisk;      // the bytes of the header's remarks element
        const char* readBack;    // FileInfoText
    };
    const Case cases[] = {
        {"\xD0\x9F\xD1\x83\xD0\xBD\xD0\xBA\xD1\x82 3", "\xCF\xF3\xED\xEA\xF2 3",
         "Remarks: \xD0\x9F\xD1\x83\xD0\xBD\xD0\xBA\xD1\x82 3. GPS data from file: 03736.5678E 5540.1234N 150.0"},
        // u-umlaut is not in windows-1251: it is written and read back as "?", never as "MГјller".
        {"M\xC3\xBCller", "M?ller", "Remarks: M?ller. GPS data from file: 03736.5678E 5540.1234N 150.0"},
    };
    for (const Case& c : cases) {
        const std::string header = DataFileHeaderComposer::compose(info64(), c.remark).text;
        EXPECT_NE(header.find(std::string("\t<remarks>") + c.onDisk + "</remarks>\r\n"), std::string::npos)
            << c.remark;
        EXPECT_EQ(scan(header).FileInfoText, c.readBack) << c.remark;
    }
}

TEST_F(DataFileHeaderReaderTest, LongRemarkIsReadBackWhole) {
    const std::string remark(1024, 'r');
    const std::string header = DataFileHeaderComposer::compose(info64(), remark).text;
    const DataFileHeaderScan s = scan(header + std::string(772 * 2, '\x01'));
    EXPECT_EQ(s.HeaderLength, static_cast<std::int32_t>(header.size()));
    EXPECT_EQ(s.FileInfoText.substr(0, 9 + 1024), "Remarks: " + remark);
    EXPECT_EQ(s.FileSamplingRate, 64);
}

TEST_F(DataFileHeaderReaderTest, RemarkThatLooksLikeATagDoesNotChangeTheValues) {
    const std::string header =
        DataFileHeaderComposer::compose(info64(), "x samplingrate>1</ sensitivity>0</ averaging>256</").text;
    const DataFileHeaderScan s = scan(header);
    EXPECT_EQ(s.FileSamplingRate, 64);
    EXPECT_EQ(s.averaging, 4);
    EXPECT_DOUBLE_EQ(s.sensitivity, 0.5);
}

TEST_F(DataFileHeaderReaderTest, EndLineInAnyCaseAndIndentedEndsTheHeader) {
    const std::string head = "<zuva_header>\r\n\t<samplingrate>1</samplingrate>\r\n\t<averaging>256</averaging>\r\n";
    for (const char* end : {"</zuva_header>", "\t</ZUVA_HEADER>", "  </Zuva_Header>"}) {
        const std::string text = head + end + "\r\n";
        const DataFileHeaderScan s = scan(text + "\x08\x0D\x2D\x01");
        EXPECT_TRUE(s.endFound) << end;
        EXPECT_EQ(s.HeaderLength, static_cast<std::int32_t>(text.size())) << end;
    }
}

TEST_F(DataFileHeaderReaderTest, HeaderLengthCountsTheLineEndsActuallyFound) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        const std::string text = std::string("<zuva_header>") + eol + "\t<samplingrate>256</samplingrate>" + eol +
                                 "\t<averaging>1</averaging>" + eol + "</zuva_header>" + eol;
        const DataFileHeaderScan s = scan(text + std::string(3076, '\x02'));
        EXPECT_TRUE(s.endFound);
        EXPECT_EQ(s.HeaderLength, static_cast<std::int32_t>(text.size())) << "line end size " << std::strlen(eol);
        EXPECT_EQ(s.FileSamplingRate, 256);
    }
}

TEST_F(DataFileHeaderReaderTest, FileWithoutEndLineHasHeaderLengthZero) {
    const DataFileHeaderScan s = scan("\t<samplingrate>64</samplingrate>\r\n\t<averaging>4</averaging>\r\n");
    EXPECT_FALSE(s.endFound);
    EXPECT_EQ(s.HeaderLength, 0);
    EXPECT_EQ(log.lines, std::vector<std::string>{"No heading XML in a file: " + name});
}

TEST_F(DataFileHeaderReaderTest, BadValuesAreLoggedWithTheLineAndDefaulted) {
    const std::string text =
        "\t<samplingrate>300</samplingrate>\r\n"
        "\t<sensitivity>abc</sensitivity>\r\n"
        "\t<averaging>four</averaging>\r\n"
        "</zuva_header>\r\n";
    const DataFileHeaderScan s = scan(text, 7.0);
    EXPECT_EQ(s.FileSamplingRate, 0);
    EXPECT_DOUBLE_EQ(s.sensitivity, 1.0);
    EXPECT_EQ(s.averaging, 4);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"XML: samplingrate: \t<samplingrate>300</samplingrate>",
                                                  "XML: sensitivity: \t<sensitivity>abc</sensitivity>",
                                                  "XML: averaging: \t<averaging>four</averaging>"}));
}

TEST_F(DataFileHeaderReaderTest, MissingLinesKeepTheCallersSensitivityAndAnAveragingThatFitsTheRate) {
    const DataFileHeaderScan s = scan("\t<samplingrate>16</samplingrate>\r\n</zuva_header>\r\n", 0.25);
    EXPECT_EQ(s.FileSamplingRate, 16);
    EXPECT_EQ(s.averaging, 16);
    EXPECT_DOUBLE_EQ(s.sensitivity, 0.25);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DataFileHeaderReaderTest, NumbersAreReadWithLeadingBlanksAndAPoint) {
    const DataFileHeaderScan s = scan(
        "\t<samplingrate> 64</samplingrate>\r\n\t<averaging>  4</averaging>\r\n"
        "\t<sensitivity>-2.39300000000000E-0005</sensitivity>\r\n</zuva_header>\r\n");
    EXPECT_EQ(s.FileSamplingRate, 64);
    EXPECT_EQ(s.averaging, 4);
    EXPECT_DOUBLE_EQ(s.sensitivity, -2.393e-5);
}

TEST_F(DataFileHeaderReaderTest, HeadersThatWouldGiveInfinitiesOrWrongRecordsAreRefused) {
    struct Case {
        const char* averaging;
        const char* sensitivity;
        const char* rate;
        std::string refusal;
    };
    const std::string n = name;
    const Case cases[] = {
        {"0", " 1.0E+0000", "64", "XML: averaging 0 does not fit samplingrate 64, file refused: " + n},
        {"2", " 1.0E+0000", "64", "XML: averaging 2 does not fit samplingrate 64, file refused: " + n},
        {"65540", " 1.0E+0000", "64", "XML: averaging 65540 does not fit samplingrate 64, file refused: " + n},
        {"4", " 0.00000000000000E+0000", "64", "XML: sensitivity 0 cannot convert counts to nT, file refused: " + n},
        // Factors whose product with the rate leaves the 64-bit range; the first
        // would come to 256 if the product wrapped around.
        {"-9223372036854775680", " 1.0E+0000", "2",
         "XML: averaging -9223372036854775680 does not fit samplingrate 2, file refused: " + n},
        {"00001371007100803710087", " 1.0E+0000", "17",
         "XML: averaging 1371007100803710087 does not fit samplingrate 17, file refused: " + n},
        {"9223372036854775807", " 1.0E+0000", "256",
         "XML: averaging 9223372036854775807 does not fit samplingrate 256, file refused: " + n},
    };
    for (const Case& c : cases) {
        log.clear();
        const DataFileHeaderScan s = scan(std::string("\t<samplingrate>") + c.rate + "</samplingrate>\r\n" +
                                          "\t<averaging>" + c.averaging + "</averaging>\r\n" + "\t<sensitivity>" +
                                          c.sensitivity + "</sensitivity>\r\n</zuva_header>\r\n");
        EXPECT_EQ(s.FileSamplingRate, 0) << c.refusal;
        EXPECT_EQ(s.refusal, c.refusal);
        EXPECT_EQ(log.lines, std::vector<std::string>{c.refusal});
    }
}

TEST_F(DataFileHeaderReaderTest, HeaderBeyondTheScanLimitIsNotFound) {
    std::string text(DataFileHeaderReader::kMaxHeaderScanBytes + 10, 'x');
    text += "\r\n</zuva_header>\r\n";
    const DataFileHeaderScan s = scan(text);
    EXPECT_FALSE(s.endFound);
    EXPECT_EQ(s.HeaderLength, 0);
}

// A header of thousands of GPS lines: each longitude line puts the prefix before the
// summary again, which would make it grow (and be copied) without end; a remark can
// be as long as a line. The summary is cut and that is logged; the values and the
// header length are kept.
TEST_F(DataFileHeaderReaderTest, SummaryOfAHeaderFullOfGpsLinesOrOfAHugeRemarkIsCut) {
    const auto repeated = [](const std::string& line) {
        std::string lines;
        while (lines.size() < 900 * 1024) lines += line;
        return lines;
    };
    const struct {
        std::string body;
        std::string begins;
        std::size_t size;  // the summary's leading blank is trimmed after the cut
    } cases[] = {
        {repeated("\t\t<longitude>x</longitude>\r\n"), "GPS data from file: GPS data from file: ", 4096},
        {repeated("\t\t<lattitude>y</lattitude>\r\n"), "y y y y", 4095},
        {repeated("\t\t<altitude>z</altitude>\r\n"), "z z z z", 4095},
        {"\t<remarks>" + std::string(5000, 'r') + "</remarks>\r\n\t\t<longitude>x</longitude>\r\n",
         "Remarks: rrrr", 4096},
    };
    for (const auto& c : cases) {
        log.clear();
        const std::string text = "<zuva_header>\r\n\t<samplingrate>64</samplingrate>\r\n\t<averaging>4</averaging>\r\n" +
                                 c.body + "</zuva_header>\r\n";
        const DataFileHeaderScan s = scan(text + std::string(772, '\0'));
        EXPECT_TRUE(s.endFound) << c.begins;
        EXPECT_EQ(s.HeaderLength, static_cast<std::int32_t>(text.size())) << c.begins;
        EXPECT_EQ(s.FileSamplingRate, 64) << c.begins;
        EXPECT_EQ(DataFileHeaderReader::kMaxInfoTextBytes, 4096u);
        EXPECT_EQ(s.FileInfoText.size(), c.size) << c.begins;
        EXPECT_EQ(s.FileInfoText.rfind(c.begins, 0), 0u) << c.begins;
        EXPECT_EQ(log.lines, std::vector<std::string>{"XML: remarks and GPS texts cut to 4096 bytes: " + name});
    }
}

TEST_F(DataFileHeaderReaderTest, MissingFileRaisesIoErrorTwo) {
    try {
        reader.ReadDataFileHeader(dir.file("none.zuv"));
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_STREQ(e.what(), "I/O error 2");
    }
}

}  // namespace
}  // namespace zuva::recording

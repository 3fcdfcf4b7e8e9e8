#include "recording/DataFileHeaderComposer.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zuva::recording {
namespace {

DataFileHeaderInfo sampleInfo() {
    DataFileHeaderInfo info;
    info.fileDate = "20090819";
    info.fileTime = "134501";
    info.dateText = "2009 08 19";
    info.averaging = 4;
    info.samplingRateText = "64";
    info.sensitivity = 1.0;
    info.gainText = "1";
    info.longitude = "03736.5678E";
    info.latitude = "5540.1234N";
    info.altitude = "150.0";
    return info;
}

TEST(DataFileHeaderComposer, WritesTheTwentyOneLinesByteForByte) {
    const ComposedHeader h = DataFileHeaderComposer::compose(sampleInfo(), "site <4> & co");
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
        "<zuva_header version=\"zuva7k2\">\r\n"
        "\t<year>2009</year>\r\n"
        "\t<month>08</month>\r\n"
        "\t<day>19</day>\r\n"
        "\t<base_sampling_rate>256</base_sampling_rate>\r\n"
        "\t<averaging>4</averaging>\r\n"
        "\t<samplingrate>64</samplingrate>\r\n"
        "\t<sensitivity> 1.00000000000000E+0000</sensitivity>\r\n"
        "\t<gain>1</gain>\r\n"
        "\t<bit_to_nT> 2.50000000000000E-0001</bit_to_nT>\r\n"
        "\t<channels>3</channels>\r\n"
        "\t<bytes_per_sample>4</bytes_per_sample>\r\n"
        "\t<one_second_record_size_in_bytes>772</one_second_record_size_in_bytes>\r\n"
        "\t<GPS>\r\n"
        "\t\t<longitude>03736.5678E</longitude>\r\n"
        "\t\t<lattitude>5540.1234N</lattitude>\r\n"
        "\t\t<altitude>150.0</altitude>\r\n"
        "\t</GPS>\r\n"
        "\t<remarks>site <4> & co</remarks>\r\n"
        "</zuva_header>\r\n";
    EXPECT_EQ(h.text, expected);
    EXPECT_EQ(h.tripleCount, 64);
    EXPECT_TRUE(h.notes.empty());
}

TEST(DataFileHeaderComposer, EmptyTextsGiveEmptyElements) {
    DataFileHeaderInfo info = sampleInfo();
    info.longitude.clear();
    info.latitude.clear();
    info.altitude.clear();
    const std::string text = DataFileHeaderComposer::compose(info, "").text;
    EXPECT_NE(text.find("\t\t<longitude></longitude>\r\n\t\t<lattitude></lattitude>\r\n\t\t<altitude></altitude>\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\t<remarks></remarks>\r\n"), std::string::npos);
}

struct RateCase {
    std::uint16_t averaging;
    const char* rate;
    const char* gain;
    double sensitivity;
    const char* recordSizeLine;
    const char* bitToNtLine;
};

class DataFileHeaderComposerRates : public ::testing::TestWithParam<RateCase> {};

TEST_P(DataFileHeaderComposerRates, RecordSizeAndBitToNtFollowRateAndGain) {
    const RateCase& c = GetParam();
    DataFileHeaderInfo info = sampleInfo();
    info.averaging = c.averaging;
    info.samplingRateText = c.rate;
    info.gainText = c.gain;
    info.sensitivity = c.sensitivity;
    const ComposedHeader h = DataFileHeaderComposer::compose(info, "");
    EXPECT_NE(h.text.find(c.recordSizeLine), std::string::npos) << h.text;
    EXPECT_NE(h.text.find(c.bitToNtLine), std::string::npos) << h.text;
    EXPECT_EQ(h.tripleCount, 256 / c.averaging);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, DataFileHeaderComposerRates,
    ::testing::Values(
        RateCase{256, "1", "1", 1.0, "<one_second_record_size_in_bytes>16<", "<bit_to_nT> 3.90625000000000E-0003<"},
        RateCase{1, "256", "10", 0.5, "<one_second_record_size_in_bytes>3076<",
                 "<bit_to_nT> 5.00000000000000E-0002<"},
        RateCase{4, "64", "1000", -2.0, "<one_second_record_size_in_bytes>772<",
                 "<bit_to_nT>-5.00000000000000E-0004<"}));

TEST(DataFileHeaderComposer, RefusesAnAveragingThatMakesNoRecordSize) {
    for (const int averaging : {0, 3, 100, 512}) {
        DataFileHeaderInfo info = sampleInfo();
        info.averaging = static_cast<std::uint16_t>(averaging);
        EXPECT_THROW(DataFileHeaderComposer::compose(info, ""), std::invalid_argument) << averaging;
    }
}

TEST(DataFileHeaderComposer, LineBreaksInValuesBecomeBlanksSoTheHeaderKeepsItsLines) {
    DataFileHeaderInfo info = sampleInfo();
    info.altitude = "1\r2";
    const std::string text = DataFileHeaderComposer::compose(info, "two\r\nlines\n").text;
    EXPECT_NE(text.find("\t<remarks>two  lines </remarks>\r\n"), std::string::npos);
    EXPECT_NE(text.find("\t\t<altitude>1 2</altitude>\r\n"), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
    EXPECT_EQ(lines, 21u);
}

TEST(DataFileHeaderComposer, RateTextThatDoesNotFitTheAveragingIsWrittenFromTheAveragingAndNoted) {
    DataFileHeaderInfo info = sampleInfo();
    info.samplingRateText = "32";  // averaging 4 records 64 triples a second
    const ComposedHeader h = DataFileHeaderComposer::compose(info, "");
    EXPECT_NE(h.text.find("\t<samplingrate>64</samplingrate>\r\n"), std::string::npos);
    ASSERT_EQ(h.notes.size(), 1u);
    EXPECT_EQ(h.notes[0], "Data file header: sampling rate \"32\" does not match averaging 4, written as 64");
}

TEST(DataFileHeaderComposer, OverlongPositionTextsAreCutToTheirWidths) {
    DataFileHeaderInfo info = sampleInfo();
    info.longitude = "123456789012345";
    info.latitude = "123456789012345";
    info.altitude = "123456789012345";
    const std::string text = DataFileHeaderComposer::compose(info, "").text;
    EXPECT_NE(text.find("<longitude>12345678901</longitude>"), std::string::npos);
    EXPECT_NE(text.find("<lattitude>1234567890</lattitude>"), std::string::npos);
    EXPECT_NE(text.find("<altitude>1234567</altitude>"), std::string::npos);
}

}  // namespace
}  // namespace zuva::recording

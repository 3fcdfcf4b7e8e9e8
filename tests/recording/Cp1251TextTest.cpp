#include "recording/Cp1251Text.h"

#include <gtest/gtest.h>

#include <string>

namespace zuva::recording {
namespace {

struct CodePageCase {
    const char* name;
    std::string utf8;
    std::string cp1251;
};

class Cp1251TextCases : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(Cp1251TextCases, ConvertsBothWays) {
    const CodePageCase& c = GetParam();
    EXPECT_EQ(Cp1251Text::fromUtf8(c.utf8), c.cp1251);
    EXPECT_EQ(Cp1251Text::toUtf8(c.cp1251), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cp1251TextCases,
    ::testing::Values(CodePageCase{"Empty", "", ""}, CodePageCase{"Ascii", "site 4 <x>", "site 4 <x>"},
                      // Cyrillic: U+0410..U+044F are 0xC0..0xFF; U+0401 is 0xA8, U+0451 is 0xB8.
                      CodePageCase{"Cyrillic", "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 \xD0\x81\xD1\x91",
                                   "\xCC\xEE\xF1\xEA\xE2\xE0 \xA8\xB8"},
                      // The euro sign is 0x88, the numero sign 0xB9, the no-break space 0xA0.
                      CodePageCase{"Signs", "\xE2\x82\xAC 5 \xE2\x84\x96\xC2\xA0" "7", "\x88 5 \xB9\xA0" "7"}),
    [](const ::testing::TestParamInfo<CodePageCase>& param) { return std::string(param.param.name); });

TEST(Cp1251Text, CharactersTheCodePageCannotHoldBecomeOneQuestionMarkEach) {
    // u-umlaut (2 bytes), a CJK ideograph (3 bytes) and an emoji (4 bytes) are not in windows-1251.
    EXPECT_EQ(Cp1251Text::fromUtf8("M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80!"), "M?ller ? ?!");
}

TEST(Cp1251Text, BrokenUtf8IsMarkedAndTheRestKept) {
    // A lone continuation byte, a lead byte without its continuation, a cut-off end.
    EXPECT_EQ(Cp1251Text::fromUtf8("a\x80" "b\xD0" "c\xE2\x82"), "a?b?c?");
}

TEST(Cp1251Text, TheUnassignedByteReadsBackAsAQuestionMark) {
    EXPECT_EQ(Cp1251Text::toUtf8("x\x98y"), "x?y");
}

}  // namespace
}  // namespace zuva::recording

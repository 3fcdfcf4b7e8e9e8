#include "settings/IniText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zuva::settings {
namespace {

using namespace std::string_literals;

struct FindCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class IniTextFind : public ::testing::TestWithParam<FindCase> {};

TEST_P(IniTextFind, FindsTheValueByTheLineRules) {
    const FindCase& c = GetParam();
    const auto found = IniText::find(c.text, c.section, c.key);
    if (c.expected) {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(std::string(*found), *c.expected);
    } else {
        EXPECT_FALSE(found.has_value()) << "found \"" << std::string(found.value_or("")) << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTextFind,
    ::testing::Values(
        FindCase{"plain", "[Config]\nGain=2\n", "Config", "Gain", "2"},
        FindCase{"crlf", "[Config]\r\nGain=2\r\nStart=Yes\r\n", "Config", "Gain", "2"},
        FindCase{"sectionCase", "[config]\nGain=2\n", "CONFIG", "Gain", "2"},
        FindCase{"keyCase", "[Config]\nSENSITIVITY=0.5\n", "Config", "sensitivity", "0.5"},
        FindCase{"blanksTrimmed", "[Config]\n \tGain \t=  \t 3 x \t\n", "Config", "Gain", "3 x"},
        FindCase{"headerBlanks", "  [ Config ]  ; note\nGain=1\n", "Config", "Gain", "1"},
        FindCase{"firstEqualsSplits", "[Config]\nOutputDirectory=/a=b/c\n", "Config", "OutputDirectory", "/a=b/c"},
        FindCase{"emptyValue", "[Config]\nStart=\n", "Config", "Start", ""},
        FindCase{"noTrailingNewline", "[Config]\nGain=3", "Config", "Gain", "3"},
        FindCase{"firstKeyWins", "[Config]\nGain=1\nGain=2\n", "Config", "Gain", "1"},
        FindCase{"firstSectionWins", "[Config]\nStart=Not\n[Config]\nGain=2\n", "Config", "Gain", std::nullopt},
        FindCase{"otherSection", "[TForm1]\nGain=2\n[Config]\nStart=Yes\n", "Config", "Gain", std::nullopt},
        FindCase{"beforeAnySection", "Gain=2\n[Config]\n", "Config", "Gain", std::nullopt},
        FindCase{"sectionPrefixIsNoMatch", "[Config2]\nGain=2\n", "Config", "Gain", std::nullopt},
        FindCase{"keyPrefixIsNoMatch", "[Config]\nGainX=2\n", "Config", "Gain", std::nullopt},
        FindCase{"semicolonComment", "[Config]\n;Gain=2\n", "Config", "Gain", std::nullopt},
        FindCase{"hashComment", "[Config]\n#Gain=2\nGain=1\n", "Config", "Gain", "1"},
        FindCase{"lineWithoutEquals", "[Config]\nGain\nGain=1\n", "Config", "Gain", "1"},
        FindCase{"bracketWithoutClose", "[Config]\n[Broken\nGain=1\n", "Config", "Gain", "1"},
        FindCase{"bracketWithoutCloseIsNoSection", "[Broken\nGain=1\n", "Broken", "Gain", std::nullopt},
        FindCase{"binaryBytes", "[Config]\nx\0\xff=\x01\nGain=\x80\0z\n"s, "Config", "Gain",
                 "\x80\0z"s},
        FindCase{"emptyText", "", "Config", "Gain", std::nullopt}),
    [](const ::testing::TestParamInfo<FindCase>& p) { return std::string(p.param.name); });

struct WriteCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class IniTextWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniTextWrite, ChangesOnlyTheKeyLine) {
    const WriteCase& c = GetParam();
    EXPECT_EQ(IniText::withValue(c.before, c.section, c.key, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTextWrite,
    ::testing::Values(
        WriteCase{"emptyText", "", "Config", "Gain", "0", "[Config]\nGain=0\n"},
        WriteCase{"replaceInPlace", "; head\n[Config]\nGain = 1 \nStart=Not\n\n[TForm1]\nFlags=0\n", "Config", "Gain",
                  "3", "; head\n[Config]\nGain=3\nStart=Not\n\n[TForm1]\nFlags=0\n"},
        WriteCase{"replaceKeepsCrLf", "[Config]\r\nGain=1\r\nStart=Not\r\n", "Config", "gain", "2",
                  "[Config]\r\ngain=2\r\nStart=Not\r\n"},
        WriteCase{"replaceLastLineWithoutBreak", "[Config]\nGain=1", "Config", "Gain", "2", "[Config]\nGain=2"},
        WriteCase{"addKeyAfterLastLineOfSection", "[Config]\nGain=1\n\n; other\n[TForm1]\nFlags=0\n", "CONFIG", "Start",
                  "Yes", "[Config]\nGain=1\n\n; other\nStart=Yes\n[TForm1]\nFlags=0\n"},
        WriteCase{"addKeyBeforeBlankLines", "[Config]\nGain=1\n\n\n[TForm1]\nFlags=0\n", "Config", "Start", "Yes",
                  "[Config]\nGain=1\nStart=Yes\n\n\n[TForm1]\nFlags=0\n"},
        WriteCase{"addKeyToEmptySection", "[Config]\n[TForm1]\n", "Config", "Gain", "0",
                  "[Config]\nGain=0\n[TForm1]\n"},
        WriteCase{"addKeyUsesFileCrLf", "[Config]\r\nGain=1\r\n", "Config", "Start", "Not",
                  "[Config]\r\nGain=1\r\nStart=Not\r\n"},
        WriteCase{"addKeyAfterLastLineWithoutBreak", "[Config]\r\nGain=1", "Config", "Start", "Not",
                  "[Config]\r\nGain=1\r\nStart=Not\r\n"},
        WriteCase{"addKeyAfterLastLineEndingInCr", "[Config]\nGain=1\r", "Config", "Start", "Not",
                  "[Config]\nGain=1\r\nStart=Not\n"},
        WriteCase{"addSectionAfterLastLineEndingInCr", "[TForm1]\r\nFlags=0\r", "Config", "Gain", "0",
                  "[TForm1]\r\nFlags=0\r\n\r\n[Config]\r\nGain=0\r\n"},
        WriteCase{"addSectionAfterLoneCr", "[TForm1]\nFlags=0\n\r", "Config", "Gain", "0",
                  "[TForm1]\nFlags=0\n\r\n[Config]\nGain=0\n"},
        WriteCase{"addSectionAfterBlankLine", "[TForm1]\nFlags=0\n", "Config", "Gain", "0",
                  "[TForm1]\nFlags=0\n\n[Config]\nGain=0\n"},
        WriteCase{"addSectionCrLf", "[TForm1]\r\nFlags=0", "Config", "Gain", "0",
                  "[TForm1]\r\nFlags=0\r\n\r\n[Config]\r\nGain=0\r\n"},
        WriteCase{"addSectionAfterExistingBlank", "[TForm1]\nFlags=0\n\n", "Config", "Gain", "0",
                  "[TForm1]\nFlags=0\n\n[Config]\nGain=0\n"},
        WriteCase{"commentedKeyIsNotReplaced", "[Config]\n;Gain=1\n", "Config", "Gain", "2",
                  "[Config]\n;Gain=1\nGain=2\n"},
        WriteCase{"onlyFirstSection", "[Config]\nStart=Not\n[Config]\nGain=1\n", "Config", "Gain", "2",
                  "[Config]\nStart=Not\nGain=2\n[Config]\nGain=1\n"},
        WriteCase{"brokenHeaderStaysInSection", "[Config]\n[broken\nGain=1\n", "Config", "Gain", "5",
                  "[Config]\n[broken\nGain=5\n"},
        WriteCase{"binaryKept", "[A]\n\0\xff\n[Config]\nGain=1\n"s, "Config", "Gain", "2",
                  "[A]\n\0\xff\n[Config]\nGain=2\n"s}),
    [](const ::testing::TestParamInfo<WriteCase>& p) { return std::string(p.param.name); });

TEST(IniTextRoundTrip, WrittenValueReadsBack) {
    std::string text;
    for (const char* value : {"", "x", " padded ", "2,393E-5", "/home/a=b"}) {
        text = IniText::withValue(text, "Config", "OutputDirectory", value);
        std::string trimmed = value;
        trimmed.erase(0, trimmed.find_first_not_of(' '));
        trimmed.erase(trimmed.find_last_not_of(' ') + 1);
        EXPECT_EQ(std::string(IniText::find(text, "config", "outputdirectory").value_or("?")), trimmed) << value;
    }
    EXPECT_EQ(text, "[Config]\nOutputDirectory=/home/a=b\n");
}

// A CR that ends the text is read as a line ending: a write that adds lines after
// such a line must not turn it into a CR inside that line's value.
TEST(IniTextRoundTrip, WriteAfterALastLineEndingInCrKeepsItsValue) {
    for (const std::string text : {"[TForm1]\r\nFlags=0\r", "[TForm1]\nFlags=0\r", "[TForm1]\nFlags=0\r\r"}) {
        const auto before = std::string(IniText::find(text, "TForm1", "Flags").value_or("?"));
        for (const char* section : {"TForm1", "Config"}) {
            const std::string after = IniText::withValue(text, section, "Gain", "1");
            EXPECT_EQ(std::string(IniText::find(after, "TForm1", "Flags").value_or("?")), before) << section;
            EXPECT_EQ(std::string(IniText::find(after, section, "Gain").value_or("?")), "1") << section;
        }
    }
}

struct InvalidCase {
    const char* section;
    const char* key;
    const char* value;
    bool valid;
};

TEST(IniTextInvalidWrite, RefusesWhatCannotBeOneLine) {
    const InvalidCase cases[] = {
        {"Config", "Gain", "1", true},
        {"Config", "Gain", "", true},
        {"Config", "Gain", " a = b ", true},
        {"Config", "Gain", "a\nb", false},
        {"Config", "Gain", "a\rb", false},
        {"Con\nfig", "Gain", "1", false},
        {"Config", "Ga\nin", "1", false},
        {"", "Gain", "1", false},
        {"Con]fig", "Gain", "1", false},
        {" Config", "Gain", "1", false},
        {"Config", "", "1", false},
        {"Config", "Ga=in", "1", false},
        {"Config", " Gain", "1", false},
        {"Config", "[Gain", "1", false},
        {"Config", ";Gain", "1", false},
        {"Config", "#Gain", "1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(!IniText::invalidWrite(c.section, c.key, c.value).has_value(), c.valid)
            << "[" << c.section << "] " << c.key << "=" << c.value;
    }
}

}  // namespace
}  // namespace zuva::settings

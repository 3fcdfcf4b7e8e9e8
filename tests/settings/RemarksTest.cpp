#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/RecordingLog.h"
#include "settings/ConfirmModel.h"
#include "settings/RemarksModel.h"
#include "settings/RemarksText.h"
#include "settings/SingleLineText.h"

namespace zuva::settings {
namespace {

using Lines = std::vector<std::string>;

TEST(SingleLineText, CountsAndCutsWholeCharacters) {
    const std::string euro = "\xE2\x82\xAC";  // one character, three bytes
    struct Case {
        std::string text;
        std::size_t max;
        std::string fitted;
        std::size_t count;  // of the input
    };
    const Case cases[] = {
        {"site 4", 1024, "site 4", 6},
        {"abcdef", 4, "abcd", 6},
        {euro + euro + euro, 2, euro + euro, 3},
        {"a" + euro, 2, "a" + euro, 2},
        {"line1\r\nline2\nline3\rx", 1024, "line1 line2 line3 x", 20},
        {"\xFF\xFE" "ab", 3, "\xFF\xFE" "a", 4},       // stray bytes count one each
        {"\xE2\x82" "a", 2, "\xE2\x82", 3},            // a cut-off sequence is two characters
        {std::string("a\0b", 3), 1024, std::string("a\0b", 3), 3},
        {"", 10, "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SingleLineText::fit(c.text, c.max), c.fitted) << c.text;
        EXPECT_EQ(SingleLineText::characterCount(c.text), c.count) << c.text;
    }
}

TEST(RemarksText, HoldsOneLineOfAtMost1024Characters) {
    RemarksText remarks;
    EXPECT_TRUE(remarks.empty());
    remarks.set(std::string(1500, 'r'));
    EXPECT_EQ(remarks.text(), std::string(1024, 'r'));
    remarks.set("two\nlines");
    EXPECT_EQ(remarks.text(), "two lines");
    remarks.clear();
    EXPECT_TRUE(remarks.empty());
}

class RemarksModelTest : public ::testing::Test {
protected:
    RemarksText remarks;
    fakes::RecordingLog log;
    int changes = 0;
    RemarksModel dialog{remarks, log, [this] { ++changes; }};
};

TEST_F(RemarksModelTest, MenuShowsTheRemarkAndTheCounterFollows) {
    EXPECT_EQ(dialog.counterText(), "0");
    remarks.set("site 4");
    dialog.Remarks1Click();
    EXPECT_TRUE(dialog.visible());
    EXPECT_EQ(dialog.fieldText(), "site 4");
    EXPECT_EQ(dialog.counterText(), "6");
    dialog.setFieldText("site 4 \xC3\xA9");  // "é" is one character
    EXPECT_EQ(dialog.counterText(), "8");
    EXPECT_GE(changes, 2);
}

TEST_F(RemarksModelTest, OkTakesTheFieldAndLogs) {
    dialog.Remarks1Click();
    dialog.setFieldText("site 4");
    dialog.Button1Click();
    EXPECT_EQ(remarks.text(), "site 4");
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(log.lines, Lines{"Remarks= site 4"});

    dialog.Remarks1Click();
    dialog.setFieldText("");
    dialog.Button1Click();
    EXPECT_TRUE(remarks.empty());
    EXPECT_EQ(log.lines, (Lines{"Remarks= site 4", "Remarks= "}));
}

TEST_F(RemarksModelTest, CancelAndClearKeepTheRemark) {
    remarks.set("old");
    dialog.Remarks1Click();
    dialog.setFieldText("typed");
    dialog.Button2Click();  // Cancel
    EXPECT_EQ(remarks.text(), "old");
    EXPECT_EQ(dialog.fieldText(), "old");
    EXPECT_FALSE(dialog.visible());

    dialog.Remarks1Click();
    dialog.Button3Click();  // Clear: field only
    EXPECT_EQ(dialog.fieldText(), "");
    EXPECT_EQ(dialog.counterText(), "0");
    EXPECT_EQ(remarks.text(), "old");
    EXPECT_TRUE(dialog.visible());
    dialog.Button2Click();
    EXPECT_EQ(remarks.text(), "old");
    dialog.Remarks1Click();
    EXPECT_EQ(dialog.fieldText(), "old");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(RemarksModelTest, FieldAcceptsNoMoreThan1024Characters) {
    dialog.Remarks1Click();
    dialog.setFieldText(std::string(1024, 'x') + "yz");
    EXPECT_EQ(dialog.fieldText(), std::string(1024, 'x'));
    EXPECT_EQ(dialog.counterText(), "1024");
    dialog.Button1Click();
    EXPECT_EQ(remarks.text(), std::string(1024, 'x'));
    EXPECT_EQ(log.lines, Lines{"Remarks= " + std::string(1024, 'x')});
}

class ConfirmModelTest : public ::testing::Test {
protected:
    RemarksText remarks;
    fakes::RecordingLog log;
    ConfirmModel dialog{remarks, log};
};

TEST_F(ConfirmModelTest, NoRemarkAsksNothing) {
    EXPECT_FALSE(dialog.open());
    EXPECT_FALSE(dialog.visible());
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ConfirmModelTest, OkKeepsTheEditedRemarkAndLogs) {
    remarks.set("site 4");
    ASSERT_TRUE(dialog.open());
    EXPECT_TRUE(dialog.visible());
    EXPECT_EQ(dialog.fieldText(), "site 4");
    dialog.Button1Click();
    EXPECT_EQ(remarks.text(), "site 4");
    EXPECT_FALSE(dialog.visible());

    ASSERT_TRUE(dialog.open());
    dialog.setFieldText("site 5" + std::string(2000, '!'));
    dialog.Button1Click();
    EXPECT_EQ(remarks.text(), "site 5" + std::string(1018, '!'));
    EXPECT_EQ(log.lines, (Lines{"Remarks= site 4", "Remarks= site 5" + std::string(1018, '!')}));
}

TEST_F(ConfirmModelTest, ClearEmptiesTheRemarkWithoutALogLine) {
    remarks.set("site 4");
    ASSERT_TRUE(dialog.open());
    dialog.Button2Click();
    EXPECT_TRUE(remarks.empty());
    EXPECT_EQ(dialog.fieldText(), "");
    EXPECT_FALSE(dialog.visible());
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(dialog.open());
}

TEST_F(ConfirmModelTest, CloseBoxChangesNothing) {
    remarks.set("site 4");
    ASSERT_TRUE(dialog.open());
    dialog.setFieldText("edited");
    dialog.closeBox();
    EXPECT_EQ(remarks.text(), "site 4");
    EXPECT_FALSE(dialog.visible());
    EXPECT_TRUE(log.lines.empty());
    ASSERT_TRUE(dialog.open());
    EXPECT_EQ(dialog.fieldText(), "site 4");
}

}  // namespace
}  // namespace zuva::settings

#include "settings/WindowPlacement.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "TempDir.h"
#include "settings/SettingsFile.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::readFile;

TEST(WindowPlacement, SavedPlacementReadsBackFromItsSection) {
    TempDir dir;
    SettingsFile file(dir.file("zuva.ini"));
    file.writeConfig("Gain", "2");
    const WindowPlacement placement{-20, 40, 900, 700, true};
    placement.save(file, "TForm1");
    EXPECT_EQ(readFile(dir.file("zuva.ini")),
              "[Config]\nGain=2\n\n[TForm1]\nLeft=-20\nTop=40\nWidth=900\nHeight=700\nMaximized=1\n");
    EXPECT_EQ(WindowPlacement::load(file, "TForm1"), placement);
    EXPECT_EQ(WindowPlacement::load(file, "TOptions"), std::nullopt);
}

TEST(WindowPlacement, DamagedOrIncompleteEntriesAreIgnored) {
    const char* cases[] = {
        "[TForm1]\nLeft=1\nTop=2\nWidth=3\n",                       // a key missing
        "[TForm1]\nLeft=1\nTop=2\nWidth=wide\nHeight=4\n",          // not a number
        "[TForm1]\nLeft=1\nTop=2\nWidth=0\nHeight=4\n",             // no size
        "[TForm1]\nLeft=1\nTop=2\nWidth=-5\nHeight=4\n",            // negative size
        "[TForm1]\nLeft=99999999\nTop=2\nWidth=800\nHeight=600\n",  // far beyond any screen
    };
    for (const char* text : cases) {
        TempDir dir;
        std::ofstream(dir.file("zuva.ini")) << text;
        const SettingsFile file(dir.file("zuva.ini"));
        EXPECT_EQ(WindowPlacement::load(file, "TForm1"), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace zuva::settings

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "settings/StationSettings.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::writeFile;

StationSettings readFrom(const std::string& section, std::vector<std::string>& problems) {
    TempDir dir;
    writeFile(dir.file("zuva.ini"), "[Config]\nGain=1\n\n[Station]\n" + section);
    SettingsFile file(dir.file("zuva.ini"));
    return StationSettings::read(file, problems);
}

TEST(StationSettings, ReadsEveryKeyOfTheSection) {
    std::vector<std::string> problems;
    const StationSettings s = readFrom(
        "IagaCode=abc\nName=Alpha Base\nInstitute=Geo Survey\nLatitude=47.5\nLongitude=348.25\nElevation=-12\n"
        "Orientation=HDZ\nDataType=Provisional\nIagaOutput=yes\n",
        problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(s.iagaCode, "ABC");
    EXPECT_EQ(s.name, "Alpha Base");
    EXPECT_EQ(s.institute, "Geo Survey");
    EXPECT_EQ(s.latitude, 47.5);
    EXPECT_EQ(s.longitude, 348.25);
    EXPECT_EQ(s.elevation, -12.0);
    EXPECT_EQ(s.orientation, "HDZ");
    EXPECT_EQ(s.dataType, "provisional");
    EXPECT_EQ(s.dataTypeLetter(), 'p');
    EXPECT_TRUE(s.iagaOutput);
}

TEST(StationSettings, AnEmptySectionGivesTheDefaults) {
    std::vector<std::string> problems;
    const StationSettings s = readFrom("", problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(s.iagaCode, "");
    EXPECT_FALSE(s.latitude.has_value());
    EXPECT_FALSE(s.longitude.has_value());
    EXPECT_FALSE(s.elevation.has_value());
    EXPECT_EQ(s.orientation, "XYZ");
    EXPECT_EQ(s.dataType, "variation");
    EXPECT_EQ(s.dataTypeLetter(), 'v');
    EXPECT_FALSE(s.iagaOutput);
}

TEST(StationSettings, ValuesThatCannotBeTakenAreNamed) {
    std::vector<std::string> problems;
    const StationSettings s =
        readFrom("IagaCode=AB1\nLatitude=91\nLongitude=-5\nElevation=high\nDataType=final\n", problems);
    EXPECT_EQ(s.iagaCode, "");
    EXPECT_FALSE(s.latitude.has_value());
    EXPECT_FALSE(s.longitude.has_value());
    EXPECT_FALSE(s.elevation.has_value());
    EXPECT_EQ(s.dataType, "variation");
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  "Station setting IagaCode=AB1 not taken: three letters are needed",
                  "Station setting Latitude=91 not taken: a number from -90 to 90 is needed",
                  "Station setting Longitude=-5 not taken: a number from 0 to 360 is needed",
                  "Station setting Elevation=high not taken: a number from -12000 to 9000 is needed",
                  "Station setting DataType=final not taken: variation, provisional, quasi-definitive or "
                  "definitive is needed",
              }));
}

}  // namespace
}  // namespace zuva::settings

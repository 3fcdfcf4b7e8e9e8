#include "settings/ShutdownSettingsWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "settings/SettingsFile.h"
#include "settings/StationSettings.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::readFile;
using testing::writeFile;

std::vector<std::string> keysOf(const std::vector<ShutdownSettingsWriter::Failure>& failures) {
    std::vector<std::string> keys;
    for (const auto& f : failures) keys.push_back(f.key);
    return keys;
}

TEST(ShutdownSettingsWriter, FirstRunWritesTheSixKeysInOrder) {
    TempDir dir;
    SettingsFile file(dir.file("zuva.ini"));
    ShutdownSettings s;
    s.sensitivity = 2.393e-5;
    s.samplingRateIndex = 6;
    s.outputDirectory = "/home/op/data";
    s.comPort = "COM99";
    s.gainIndex = 0;
    s.autostart = false;
    EXPECT_TRUE(ShutdownSettingsWriter(file, ',').write(s).empty());
    EXPECT_EQ(readFile(file.path()),
              "[Config]\n"
              "sensitivity=2,393E-5\n"
              "SamplingRate=6\n"
              "OutputDirectory=/home/op/data\n"
              "ComPort=COM99\n"
              "Gain=0\n"
              "Start=Not\n");
}

TEST(ShutdownSettingsWriter, RewritesExistingKeysInPlace) {
    TempDir dir;
    const std::string before =
        "[TForm1]\r\nVisible=1\r\n\r\n[Config]\r\nStart=Yes\r\n; port\r\nComPort=COM3\r\nGain=1\r\n"
        "sensitivity=1\r\nSamplingRate=2\r\nOutputDirectory=/old\r\n";
    writeFile(dir.file("zuva.ini"), before);
    SettingsFile file(dir.file("zuva.ini"));
    ShutdownSettings s;
    s.sensitivity = 0.5;
    s.samplingRateIndex = 8;
    s.outputDirectory = "/new dir";
    s.comPort = "/dev/ttyUSB0";
    s.gainIndex = std::nullopt;
    s.autostart = true;
    EXPECT_TRUE(ShutdownSettingsWriter(file, '.').write(s).empty());
    EXPECT_EQ(readFile(file.path()),
              "[TForm1]\r\nVisible=1\r\n\r\n[Config]\r\nStart=Yes\r\n; port\r\nComPort=/dev/ttyUSB0\r\nGain=-1\r\n"
              "sensitivity=0.5\r\nSamplingRate=8\r\nOutputDirectory=/new dir\r\n");
}

TEST(ShutdownSettingsWriter, ARefusedKeyDoesNotStopTheOthers) {
    TempDir dir;
    SettingsFile file(dir.file("zuva.ini"));
    ShutdownSettings s;
    s.outputDirectory = "/bad\nname";  // a directory name with a line break cannot be stored
    s.comPort = "/dev/ttyS1";
    s.gainIndex = 2;
    s.autostart = true;
    const auto failures = ShutdownSettingsWriter(file, '.').write(s);
    EXPECT_EQ(keysOf(failures), std::vector<std::string>{"OutputDirectory"});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].message, "Unable to write to " + file.path() + ": line break in section, key or value");
    EXPECT_EQ(readFile(file.path()),
              "[Config]\nsensitivity=1\nSamplingRate=6\nComPort=/dev/ttyS1\nGain=2\nStart=Yes\n");
}

TEST(ShutdownSettingsWriter, AFileThatCannotBeWrittenReportsEveryKey) {
    TempDir dir;
    writeFile(dir.file("plain"), "x");
    SettingsFile file(dir.file("plain") + "/zuva.ini");
    const auto failures = ShutdownSettingsWriter(file, '.').write(ShutdownSettings{});
    EXPECT_EQ(keysOf(failures), (std::vector<std::string>{"sensitivity", "SamplingRate", "OutputDirectory", "ComPort",
                                                          "Gain", "Start"}));
    for (const auto& f : failures) EXPECT_EQ(f.message, "Unable to write to " + file.path()) << f.key;
}

}  // namespace
}  // namespace zuva::settings

namespace zuva::settings {
namespace {

TEST(ShutdownSettingsWriter, LeavesTheStationSectionAsItIs) {
    testing::TempDir dir;
    const std::string station =
        "[Station]\r\nIagaCode=abc\r\nName=Abc Valley ; north hut\r\nLatitude=48.1\r\nLongitude=\r\n"
        "DataType=Provisional\r\nIagaOutput=Yes\r\n";
    testing::writeFile(dir.file("zuva.ini"), station + "\r\n[Config]\r\nGain=1\r\n");
    SettingsFile file(dir.file("zuva.ini"));
    ShutdownSettings s;
    s.sensitivity = 1;
    s.samplingRateIndex = 0;
    s.outputDirectory = "/d";
    s.comPort = "COM99";
    s.gainIndex = 2;
    s.autostart = false;
    EXPECT_TRUE(ShutdownSettingsWriter(file, '.').write(s).empty());
    const std::string after = testing::readFile(file.path());
    EXPECT_EQ(after.substr(0, station.size()), station);
    std::vector<std::string> problems;
    const StationSettings read = StationSettings::read(SettingsFile(dir.file("zuva.ini")), problems);
    EXPECT_EQ(read.iagaCode, "ABC");
    EXPECT_TRUE(read.iagaOutput);
    EXPECT_TRUE(problems.empty());
}

}  // namespace
}  // namespace zuva::settings

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "NetworkTempDir.h"
#include "network/MqttSettings.h"

namespace zuva::network {
namespace {

using testing::NetworkTempDir;
using testing::writeText;

struct MqttSettingsTest : ::testing::Test {
    NetworkTempDir dir;
    std::vector<std::string> problems;
    MqttSettings read(const std::string& section) {
        writeText(dir.file("zuva.ini"), "[Mqtt]\n" + section);
        return MqttSettings::read(settings::SettingsFile(dir.file("zuva.ini")), problems);
    }
    std::string passwordFile(const std::string& text, mode_t mode) {
        const std::string path = dir.file("pass");
        writeText(path, text);
        ::chmod(path.c_str(), mode);
        return path;
    }
};

TEST_F(MqttSettingsTest, DefaultsAndThePortThatFollowsTls) {
    const auto off = read("");
    EXPECT_FALSE(off.enabled());
    EXPECT_EQ(off.port, 1883);
    EXPECT_EQ(off.level, 1);
    EXPECT_EQ(off.secondsPerMessage, 10);
    EXPECT_EQ(off.queueDays, 7);
    writeText(dir.file("ca.crt"), "x");
    const auto tls = read("Host=broker.example\nUsername=abc\nPassword=pw\nCaFile=" + dir.file("ca.crt") + "\n");
    EXPECT_TRUE(tls.enabled());
    EXPECT_EQ(tls.port, 8883);
    EXPECT_EQ(tls.clientId, "abc");
    EXPECT_EQ(tls.password, "pw");
    EXPECT_EQ(tls.endpoint(), "broker.example:8883");
    const auto own = read("Host=h\nUsername=abc\nClientId=station-7\nPort=1884\nLevel=2\nSecondsPerMessage=60\nQueueDays=30\n");
    EXPECT_EQ(own.clientId, "station-7");
    EXPECT_EQ(own.port, 1884);
    EXPECT_EQ(own.level, 2);
    EXPECT_EQ(own.secondsPerMessage, 60);
    EXPECT_EQ(own.queueDays, 30);
    EXPECT_TRUE(problems.empty());
}

TEST_F(MqttSettingsTest, ValuesOutOfRangeKeepTheirDefaultWithOneLineEach) {
    const auto s = read("Host=h\nUsername=u\nPort=70000\nSecondsPerMessage=0\nQueueDays=x\nLevel=5\n");
    EXPECT_EQ(s.port, 1883);
    EXPECT_EQ(s.secondsPerMessage, 10);
    EXPECT_EQ(s.queueDays, 7);
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  "Mqtt setting Port=70000 not taken: a whole number from 1 to 65535 is needed; using 1883",
                  "Mqtt setting Level=5 not taken: a whole number from 1 to 4 is needed; using 1",
                  "Mqtt setting SecondsPerMessage=0 not taken: a whole number from 1 to 60 is needed; using 10",
                  "Mqtt setting QueueDays=x not taken: a whole number from 1 to 366 is needed; using 7"}));
}

TEST_F(MqttSettingsTest, APasswordFileOthersMayReadIsRefusedAndPublishingStaysOff) {
    const std::string path = passwordFile("secret\n", 0644);
    const auto s = read("Host=h\nUsername=u\nPasswordFile=" + path + "\n");
    EXPECT_FALSE(s.enabled());
    EXPECT_TRUE(s.password.empty());
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "Mqtt PasswordFile " + path +
                            " refused: others may read it; make it readable by its owner alone (chmod 600); "
                            "publishing to h:1883 is off"}));
}

TEST_F(MqttSettingsTest, AnOwnerOnlyPasswordFileGivesItsFirstLine) {
    const std::string path = passwordFile("secret\r\nsecond line\n", 0600);
    const auto s = read("Host=h\nUsername=u\nPassword=ignored\nPasswordFile=" + path + "\n");
    EXPECT_TRUE(s.enabled());
    EXPECT_EQ(s.password, "secret");
    EXPECT_TRUE(problems.empty());
}

TEST_F(MqttSettingsTest, MissingFilesAndNamesLeavePublishingOffWithAReason) {
    const auto noFile = read("Host=h\nUsername=u\nPasswordFile=" + dir.file("none") + "\n");
    EXPECT_FALSE(noFile.enabled());
    const auto noCa = read("Host=h\nUsername=u\nCaFile=" + dir.file("none.crt") + "\n");
    EXPECT_FALSE(noCa.enabled());
    const auto noUser = read("Host=h\n");
    EXPECT_FALSE(noUser.enabled());
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "Mqtt PasswordFile " + dir.file("none") +
                                " cannot be read: No such file or directory; publishing to h:1883 is off",
                            "Mqtt CaFile " + dir.file("none.crt") +
                                " cannot be read: No such file or directory; publishing to h:8883 is off",
                            "Mqtt setting Username (or ClientId) is empty; publishing to h:1883 is off"}));
}

}  // namespace
}  // namespace zuva::network

// The serial link's trust in its port names: an untrusted ports directory is said
// once, and a port that comes back is reopened only when it is the same device.
// Over real pseudo-terminals.
#include "app/SerialPortLink.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "fakes/RecordingLog.h"
#include "serial/MainThreadQueue.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// A pseudo-terminal held open on both sides until destroyed (or its master closed).
class Pty {
public:
    Pty() {
        char name[256];
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
        path_ = name;
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
        ::close(slave_);
    }
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

class SerialPortLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zuva-link-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "sys");
        fs::create_directories(root / "dev");
        ASSERT_EQ(::mkdir((root / "ports").c_str(), 0700), 0);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    serial::PortLister lister() const {
        return serial::PortLister(
            serial::PortListRoots{(root / "sys").string(), (root / "dev").string(), (root / "ports").string()});
    }
    void link(const std::string& target) {
        std::error_code ec;
        fs::remove(root / "ports" / "sim0", ec);
        fs::create_symlink(target, root / "ports" / "sim0");
    }

    fs::path root;
    serial::MainThreadQueue queue;
    fakes::RecordingLog log;
};

TEST_F(SerialPortLinkTest, APortsDirectoryOthersMayWriteIntoIsSaidOnceAndItsPortsNotUsed) {
    Pty pty;
    link(pty.path());
    SerialPortLink port(queue, log, nullptr, lister());
    const std::string name = (root / "ports" / "sim0").string();
    EXPECT_TRUE(port.PortPresent(name));
    ASSERT_EQ(::chmod((root / "ports").c_str(), 0777), 0);
    EXPECT_FALSE(port.PortPresent(name));
    EXPECT_FALSE(port.PortPresent(name));
    ASSERT_EQ(::chmod((root / "ports").c_str(), 0700), 0);
    EXPECT_TRUE(port.PortPresent(name));
    ASSERT_EQ(::chmod((root / "ports").c_str(), 0770), 0);
    EXPECT_FALSE(port.PortPresent(name));
    EXPECT_EQ(log.lines, (Lines{"Error: the ports directory " + (root / "ports").string() +
                                    " is writable by other users (mode 0777); its ports are not listed",
                                "Error: the ports directory " + (root / "ports").string() +
                                    " is writable by other users (mode 0770); its ports are not listed"}));
}

TEST_F(SerialPortLinkTest, APortBackUnderItsNameIsReopenedOnlyWhenItIsTheSameDevice) {
    Pty first;
    link(first.path());
    SerialPortLink port(queue, log, nullptr, lister());
    const std::string name = (root / "ports" / "sim0").string();
    port.port().SetPort(name);
    port.OpenPort();
    EXPECT_TRUE(port.PortListed());
    port.ReleasePort();

    // Another pseudo-terminal now stands behind the name.
    Pty other;
    ASSERT_NE(other.path(), first.path());
    link(other.path());
    EXPECT_FALSE(port.PortListed());
    EXPECT_FALSE(port.PortListed());
    ASSERT_EQ(log.lines.size(), 1u);
    const std::regex said("Error: ComPort " + name +
                          R"( is another device now \(device (\d+):(\d+), was (\d+):(\d+)\); not reopened)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(log.lines[0], m, said)) << log.lines[0];
    EXPECT_EQ(m[1], m[3]);  // the same kind of device, another one of them
    EXPECT_NE(m[2], m[4]);

    // The same device back under the name: reopened.
    link(first.path());
    EXPECT_TRUE(port.PortListed());
    port.ReopenPort();
    port.ReleasePort();
    EXPECT_EQ(log.lines.size(), 1u);
}

}  // namespace
}  // namespace zuva::app

#include "serial/PortLister.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "PtyTestSupport.h"
#include "serial/EComPort.h"
#include "serial/PortsDirectory.h"

namespace zuva::serial {
namespace {

namespace fs = std::filesystem;

// A fake sysfs class/tty, /dev and ports directory.
class PortListerTest : public ::testing::Test {
protected:
    testing::TempDir root;
    std::string sys = root.file("sys");
    std::string dev = root.file("dev");
    std::string ports = root.file("ports");

    void SetUp() override {
        fs::create_directories(sys);
        fs::create_directories(dev);
        fs::create_directories(fs::path(root.file("devices")) / "platform" / "serial8250");
        fs::create_directories(fs::path(root.file("bus")) / "platform");
        fs::create_directories(fs::path(root.file("bus")) / "pnp");
        ASSERT_EQ(mkdir(ports.c_str(), 0700), 0);
    }

    // A tty entry; withDevice adds the device link, type the port type file.
    void tty(const std::string& name, bool withDevice, std::optional<int> type = std::nullopt,
             const std::string& subsystem = "pnp", bool node = true) {
        const fs::path entry = fs::path(sys) / name;
        fs::create_directories(entry);
        if (withDevice) {
            const fs::path device = fs::path(root.file("devices")) / name;
            fs::create_directories(device);
            fs::create_directory_symlink(fs::path(root.file("bus")) / subsystem, device / "subsystem");
            fs::create_directory_symlink(device, entry / "device");
        }
        if (type) std::ofstream(entry / "type") << *type << "\n";
        if (node) std::ofstream(fs::path(dev) / name) << "";
    }

    PortLister lister() const { return PortLister(PortListRoots{sys, dev, ports}); }
};

TEST_F(PortListerTest, ListsRealSerialDevicesAndSkipsPlaceholdersAndVirtualTtys) {
    tty("ttyS0", true, 4);                       // a UART
    tty("ttyS1", true, 0);                       // 8250 placeholder without UART
    tty("ttyS2", true, std::nullopt, "pnp");     // no type, not a platform device
    tty("ttyS3", true, std::nullopt, "platform");
    tty("ttyUSB0", true);
    tty("ttyACM0", true);
    tty("ttyAMA0", true);
    tty("tty1", false);                          // a virtual console
    tty("ttyUSB1", true, std::nullopt, "pnp", false);  // unplugged: no device node
    EXPECT_EQ(lister().list(), (std::vector<std::string>{dev + "/ttyACM0", dev + "/ttyAMA0", dev + "/ttyS0",
                                                         dev + "/ttyS2", dev + "/ttyUSB0"}));
}

// A device with a stable name is listed under that name only, so the settings keep
// the name that follows the adapter.
TEST_F(PortListerTest, AddsStableNamesInsteadOfTheirDevicesAndPresentVirtualPorts) {
    tty("ttyUSB0", true);
    fs::create_directories(fs::path(dev) / "serial" / "by-id");
    fs::create_symlink("../../ttyUSB0", fs::path(dev) / "serial" / "by-id" / "usb-FTDI_A1");
    fs::create_symlink("../../ttyUSB9", fs::path(dev) / "serial" / "by-id" / "usb-gone");
    testing::PtyPair pty;
    fs::create_symlink(pty.path(), fs::path(ports) / "sim0");
    fs::create_symlink(root.file("nothing-here"), fs::path(ports) / "dangling");
    std::ofstream(fs::path(ports) / "not-a-link") << "";
    tty("ttyUSB1", true);  // no stable name: under its own
    EXPECT_EQ(lister().list(), (std::vector<std::string>{dev + "/serial/by-id/usb-FTDI_A1", dev + "/ttyUSB1",
                                                         ports + "/sim0"}));
}

TEST_F(PortListerTest, APortsDirectoryOfAnotherUserIsIgnored) {
    testing::PtyPair pty;
    fs::create_symlink(pty.path(), fs::path(ports) / "sim0");
    ASSERT_EQ(lister().list().size(), 1u);
    const uid_t stranger = geteuid() == 0 ? 4242 : geteuid();
    if (geteuid() != 0) GTEST_SKIP() << "changing the owner needs root";
    ASSERT_EQ(chown(ports.c_str(), stranger, static_cast<gid_t>(-1)), 0);
    EXPECT_FALSE(PortsDirectory(ports).isTrusted());
    EXPECT_TRUE(lister().list().empty());
}

TEST_F(PortListerTest, APortsDirectoryOthersMayWriteIntoIsRefusedAndTheReasonTold) {
    testing::PtyPair pty;
    fs::create_symlink(pty.path(), fs::path(ports) / "sim0");
    std::vector<std::string> told;
    PortLister l = lister();
    l.setRefusalListener([&told](const std::string& why) { told.push_back(why); });
    EXPECT_EQ(l.list(), (std::vector<std::string>{ports + "/sim0"}));
    for (const mode_t mode : {0777, 0720, 0702}) {
        ASSERT_EQ(chmod(ports.c_str(), mode), 0);
        EXPECT_FALSE(PortsDirectory(ports).isTrusted());
        EXPECT_TRUE(l.list().empty()) << std::oct << mode;
    }
    ASSERT_EQ(chmod(ports.c_str(), 0755), 0);  // others may read: fine
    EXPECT_EQ(l.list(), (std::vector<std::string>{ports + "/sim0"}));
    EXPECT_EQ(told, (std::vector<std::string>{"", "the ports directory " + ports + " is writable by other users (mode 0777)",
                                              "the ports directory " + ports + " is writable by other users (mode 0720)",
                                              "the ports directory " + ports + " is writable by other users (mode 0702)",
                                              ""}));
    // Nothing is registered in such a directory either.
    ASSERT_EQ(chmod(ports.c_str(), 0777), 0);
    try {
        PortsDirectory(ports).ensure();
        FAIL() << "a directory others may write into was accepted";
    } catch (const std::system_error& e) {
        EXPECT_NE(std::string(e.what()).find("is writable by other users (mode 0777)"), std::string::npos) << e.what();
    }
}

TEST_F(PortListerTest, ALinkInPlaceOfThePortsDirectoryIsIgnored) {
    testing::PtyPair pty;
    fs::create_symlink(pty.path(), fs::path(ports) / "sim0");
    const std::string alias = root.file("alias");
    fs::create_directory_symlink(ports, alias);
    EXPECT_TRUE(PortLister(PortListRoots{sys, dev, alias}).list().empty());
}

TEST_F(PortListerTest, UnreadableSysfsIsARegistryError) {
    try {
        PortLister(PortListRoots{root.file("no-sysfs"), dev, ports}).list();
        FAIL() << "listed without sysfs";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 23);
        EXPECT_EQ(e.SystemCode(), ENOENT);
        EXPECT_EQ(std::string(e.what()), "Registry error (system error code: 2)");
    }
}

TEST(PortNameOrderTest, SortsIgnoringCaseCharacterByCharacter) {
    struct Case {
        std::vector<std::string> in;
        std::vector<std::string> out;
    };
    const std::vector<Case> cases{
        {{"COM2", "COM10", "COM1"}, {"COM1", "COM10", "COM2"}},
        {{"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"}, {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"}},
        {{"b", "A", "a", "B"}, {"A", "a", "B", "b"}},
        {{"sim0", "sim0"}, {"sim0"}},
    };
    for (auto c : cases) {
        PortLister::sortNames(c.in);
        EXPECT_EQ(c.in, c.out);
    }
}

TEST(PortsDirectoryTest, FollowsXdgRuntimeDirElseTmpWithTheUid) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(PortsDirectory::defaultPath(), "/run/user/1000/zuva-ports");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PortsDirectory::defaultPath(), "/tmp/zuva-ports-" + std::to_string(geteuid()));
    if (saved) setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

TEST(PortsDirectoryTest, EnsureCreatesItPrivate) {
    testing::TempDir root;
    const PortsDirectory dir(root.file("zuva-ports"));
    dir.ensure();
    struct stat info {};
    ASSERT_EQ(stat(dir.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(dir.linkPath("sim0"), root.file("zuva-ports") + "/sim0");
    dir.ensure();  // again: fine
}

}  // namespace
}  // namespace zuva::serial

#include "serial/EComPort.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <functional>

#include "PtyTestSupport.h"
#include "serial/MainThreadQueue.h"
#include "serial/TComPort.h"

namespace zuva::serial {
namespace {

struct MessageCase {
    int code;
    const char* text;
};

TEST(EComPortTest, MessageTableTextsAreExact) {
    const std::array<MessageCase, 8> cases{{
        {1, "Unable to open com port"},
        {2, "WriteFile function failed"},
        {3, "ReadFile function failed"},
        {7, "SetCommState function failed"},
        {8, "SetCommTimeouts failed"},
        {9, "SetupComm function failed"},
        {10, "ClearCommError function failed"},
        {23, "Registry error"},
    }};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(EComPort::messageText(c.code), c.text);
        const EComPort withCode(c.code, 5);
        EXPECT_EQ(std::string(withCode.what()), std::string(c.text) + " (system error code: 5)");
        EXPECT_EQ(withCode.ErrorCode(), c.code);
        EXPECT_EQ(withCode.SystemCode(), 5);
        const EComPort without(c.code, EComPort::kNoSystemCode);
        EXPECT_EQ(std::string(without.what()), c.text);
        EXPECT_EQ(without.SystemCode(), -1);
    }
}

TEST(EComPortTest, UnusedCodesStillHaveAMessage) {
    EXPECT_EQ(EComPort::messageText(4), "Com port error 4");
    EXPECT_EQ(EComPort::messageText(99), "Com port error 99");
}

TEST(EComPortTest, MissingPortFailsWithErrnoTwoAndLaterOpenTriesAgain) {
    testing::TempDir dir;
    MainThreadQueue queue;
    TComPort port(queue);
    port.SetPort(dir.file("ttyUSB7"));
    try {
        port.OpenPort();
        FAIL() << "open of a missing port succeeded";
    } catch (const EComPort& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to open com port (system error code: 2)");
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.SystemCode(), ENOENT);
    }
    EXPECT_FALSE(port.Connected());

    // The device appears (a symbolic link to a pseudo-terminal): the next open works.
    testing::PtyPair pty;
    std::filesystem::create_symlink(pty.path(), dir.file("ttyUSB7"));
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
}

TEST(EComPortTest, AFileThatIsNoTerminalIsRefused) {
    testing::TempDir dir;
    { std::ofstream(dir.file("plain")) << "x"; }
    MainThreadQueue queue;
    TComPort port(queue);
    port.SetPort(dir.file("plain"));
    try {
        port.OpenPort();
        FAIL() << "a plain file was opened as a port";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.SystemCode(), ENOTTY);
    }
    EXPECT_FALSE(port.Connected());
}

TEST(EComPortTest, OperationsOnAClosedPortRaiseTheirCodeWithBadDescriptor) {
    MainThreadQueue queue;
    TComPort port(queue);
    std::uint8_t buffer[4];
    struct Case {
        const char* what;
        std::function<void()> call;
        int code;
    };
    const std::vector<Case> cases{
        {"ReadBytes", [&] { port.ReadBytes(buffer); }, 3},
        {"WriteText", [&] { port.WriteText("\x84"); }, 2},
        {"WaitingCount", [&] { (void)port.WaitingCount(); }, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.call();
            ADD_FAILURE() << "no error on a closed port";
        } catch (const EComPort& e) {
            EXPECT_EQ(e.ErrorCode(), c.code);
            EXPECT_EQ(e.SystemCode(), EBADF);
        }
    }
}

}  // namespace
}  // namespace zuva::serial

#include <gtest/gtest.h>
#include <sys/file.h>

#include <cerrno>
#include <filesystem>

#include "PtyTestSupport.h"
#include "serial/EComPort.h"
#include "serial/MainThreadQueue.h"
#include "serial/TComPort.h"

namespace zuva::serial {
namespace {

class ComPortSettingsTest : public ::testing::Test {
protected:
    testing::PtyPair pty;
    MainThreadQueue queue;
    TComPort port{queue};

    void SetUp() override {
        // Start the slave from a cooked, echoing line so that applying is visible.
        termios t = pty.slaveTermios();
        t.c_lflag |= ICANON | ECHO;
        t.c_oflag |= OPOST;
        cfsetspeed(&t, B9600);
        tcsetattr(pty.slave(), TCSANOW, &t);
        port.SetPort(pty.path());
    }
};

TEST_F(ComPortSettingsTest, OpenAppliesTheProgramsLineAndReadsBack) {
    port.OpenPort();
    const termios t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B115200);
    EXPECT_EQ(cfgetispeed(&t), B115200);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
}

TEST_F(ComPortSettingsTest, ChangesWhileClosedAreStoredAndAppliedOnOpen) {
    port.SetBaudRate(TBaudRate::br57600);
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.FlowControl().SetXonXoffIn(true);
    port.FlowControl().SetXonXoffOut(true);
    port.FlowControl().SetXonChar(0x01);
    EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(pty.slaveTermios())), B9600) << "applied while closed";
    port.OpenPort();
    const termios t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B57600);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 0x01);
}

TEST_F(ComPortSettingsTest, ChangeWhileOpenIsAppliedAtOnceUnlessABatchIsOpen) {
    port.OpenPort();
    port.SetBaudRate(TBaudRate::br19200);
    termios t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B19200);

    port.BeginUpdate();
    port.BeginUpdate();
    port.SetBaudRate(TBaudRate::br4800);
    port.EndUpdate();
    t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B19200) << "applied while the outer batch is still open";
    port.EndUpdate();
    t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_EQ(port.UpdateDepth(), 0);
    port.EndUpdate();  // unmatched: nothing happens
    EXPECT_EQ(port.UpdateDepth(), 0);
}

TEST_F(ComPortSettingsTest, SettingAnUnchangedValueTouchesNothing) {
    port.OpenPort();
    // Someone else changes the line; setting the same rate again must not undo it.
    termios t = pty.slaveTermios();
    cfsetspeed(&t, B2400);
    tcsetattr(pty.slave(), TCSANOW, &t);
    port.SetBaudRate(TBaudRate::br115200);
    t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B2400);
}

TEST_F(ComPortSettingsTest, SettingsTermiosCannotExpressAreRefusedWithSevenAndKept) {
    port.OpenPort();
    struct Case {
        const char* what;
        std::function<void()> set;
    };
    const std::vector<Case> cases{
        {"rate without a speed constant", [&] { port.SetBaudRate(TBaudRate::br14400); }},
        {"DSR output flow", [&] { port.FlowControl().SetOutDSRFlow(true); }},
        {"RTS toggle", [&] { port.FlowControl().SetControlRTS(TRTSFlowControl::rtsToggle); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.set();
            ADD_FAILURE() << "accepted";
        } catch (const EComPort& e) {
            EXPECT_EQ(e.ErrorCode(), 7);
            EXPECT_EQ(e.SystemCode(), EINVAL);
        }
    }
    EXPECT_EQ(port.BaudRate(), TBaudRate::br14400) << "the stored value keeps the new setting";
    EXPECT_TRUE(port.Connected());
}

TEST_F(ComPortSettingsTest, RefusedSettingsAtOpenCloseTheDeviceAgain) {
    port.SetBaudRate(TBaudRate::br256000);
    try {
        port.OpenPort();
        FAIL() << "opened with a refused rate";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 7);
    }
    EXPECT_FALSE(port.Connected());
    port.SetBaudRate(TBaudRate::br115200);
    port.Timeouts().SetWriteTotalConstant(-5);
    try {
        port.OpenPort();
        FAIL() << "opened with a negative time-out";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 8);
    }
    EXPECT_FALSE(port.Connected());
    port.Timeouts().SetWriteTotalConstant(1000);
    port.Buffer().SetInputSize(0);
    try {
        port.OpenPort();
        FAIL() << "opened with an empty input queue";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 9);
    }
    EXPECT_FALSE(port.Connected());
}

TEST_F(ComPortSettingsTest, OddQueueSizesAreLoweredByOne) {
    port.Buffer().SetInputSize(51201);
    port.Buffer().SetOutputSize(1025);
    EXPECT_EQ(port.Buffer().InputSize(), 51200);
    EXPECT_EQ(port.Buffer().OutputSize(), 1024);
}

TEST_F(ComPortSettingsTest, SecondOpenOfTheSameDeviceFailsWithTheSystemError) {
    port.OpenPort();
    MainThreadQueue otherQueue;
    TComPort other(otherQueue);
    other.SetPort(pty.path());
    try {
        other.OpenPort();
        FAIL() << "the device was opened twice";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        // flock refuses root and others alike; TIOCEXCL refuses others first.
        EXPECT_TRUE(e.SystemCode() == EWOULDBLOCK || e.SystemCode() == EBUSY) << e.SystemCode();
    }
    EXPECT_FALSE(other.Connected());
    port.ClosePort();
    other.OpenPort();  // released on close
    EXPECT_TRUE(other.Connected());
}

TEST_F(ComPortSettingsTest, AnotherProgramsLockKeepsThePortClosed) {
    const int held = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_THROW(port.OpenPort(), EComPort);
    EXPECT_FALSE(port.Connected());
    ::close(held);
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
}

TEST_F(ComPortSettingsTest, OpenOnOpenAndCloseOnClosedDoNothing) {
    port.ClosePort();
    port.OpenPort();
    const TComThread* thread = port.EventThread();
    port.OpenPort();
    EXPECT_EQ(port.EventThread(), thread) << "a second open restarted the port";
    port.SetPort(pty.path());  // same name: nothing happens, even while open
    EXPECT_EQ(port.EventThread(), thread);
    port.ClosePort();
    port.ClosePort();
    EXPECT_FALSE(port.Connected());
}

TEST_F(ComPortSettingsTest, ChangingThePortWhileOpenReopensUnderTheNewName) {
    testing::PtyPair second;
    port.OpenPort();
    port.SetPort(second.path());
    EXPECT_TRUE(port.Connected());
    port.WriteText("\x94");
    EXPECT_EQ(second.readMaster(1), "\x94");
    EXPECT_EQ(pty.readMaster(1, std::chrono::milliseconds(20)), "");

    testing::TempDir dir;
    EXPECT_THROW(port.SetPort(dir.file("gone")), EComPort);
    EXPECT_FALSE(port.Connected()) << "a failed reopening must leave the port closed";
    EXPECT_EQ(port.Port(), dir.file("gone"));
}

}  // namespace
}  // namespace zuva::serial

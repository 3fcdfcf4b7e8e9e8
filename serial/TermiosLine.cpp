#include "serial/TermiosLine.h"

#include <sys/ioctl.h>

#include <cerrno>

#include "serial/EComPort.h"

namespace zuva::serial {

namespace {

[[noreturn]] void refuse(int systemCode) { throw EComPort(EComPort::kSetState, systemCode); }

speed_t speedFor(int rate) {
    switch (rate) {
        case 110: return B110;
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        case 460800: return B460800;
        case 921600: return B921600;
        default: refuse(EINVAL);
    }
}

tcflag_t sizeFlag(TDataBits bits) {
    switch (bits) {
        case TDataBits::dbFive: return CS5;
        case TDataBits::dbSix: return CS6;
        case TDataBits::dbSeven: return CS7;
        case TDataBits::dbEight: return CS8;
    }
    return CS8;
}

tcflag_t parityFlags(TParityBits parity) {
    switch (parity) {
        case TParityBits::prNone: return 0;
        case TParityBits::prOdd: return PARENB | PARODD;
        case TParityBits::prEven: return PARENB;
        case TParityBits::prMark: return PARENB | PARODD | CMSPAR;
        case TParityBits::prSpace: return PARENB | CMSPAR;
    }
    return 0;
}

// Sets or clears one modem line; a pseudo-terminal without modem lines is accepted.
void setModemLine(int fd, int line, bool on, bool isPty) {
    const int bits = line;
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return;
    const int error = errno;
    if (isPty && (error == ENOTTY || error == EINVAL)) return;
    refuse(error);
}

constexpr tcflag_t kInputFlags = IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR;
constexpr tcflag_t kLocalFlags = ECHO | ECHONL | ICANON | ISIG | IEXTEN;
constexpr tcflag_t kControlFlags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CREAD | CLOCAL | HUPCL;
// What a pseudo-terminal keeps of the control flags.
constexpr tcflag_t kPtyControlFlags = CSTOPB | CREAD | CLOCAL | HUPCL;

}  // namespace

termios TermiosLine::build(const termios& current, const LineSettings& s) {
    if (s.outDsrFlow || s.dsrSensitivity || s.dtr == TDTRFlowControl::dtrHandshake ||
        s.rts == TRTSFlowControl::rtsToggle) {
        refuse(EINVAL);
    }
    termios t = current;
    t.c_iflag &= ~kInputFlags;
    if (s.parityCheck) t.c_iflag |= INPCK;
    if (s.xonXoffOut) t.c_iflag |= IXON;
    if (s.xonXoffIn) t.c_iflag |= IXOFF;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~kLocalFlags;
    t.c_cflag &= ~kControlFlags;
    t.c_cflag |= sizeFlag(s.dataBits) | parityFlags(s.parity) | CREAD | CLOCAL;
    if (s.stopBits != TStopBits::sbOneStopBit) t.c_cflag |= CSTOPB;
    if (s.outCtsFlow || s.rts == TRTSFlowControl::rtsHandshake) t.c_cflag |= CRTSCTS;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    const speed_t speed = speedFor(baudRateValue(s.baudRate, s.customBaudRate));
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) refuse(EINVAL);
    return t;
}

bool TermiosLine::matches(const termios& wanted, const termios& actual, bool isPty) {
    const tcflag_t control = isPty ? kPtyControlFlags : kControlFlags;
    return (wanted.c_iflag & kInputFlags) == (actual.c_iflag & kInputFlags) &&
           (wanted.c_oflag & OPOST) == (actual.c_oflag & OPOST) &&
           (wanted.c_lflag & kLocalFlags) == (actual.c_lflag & kLocalFlags) &&
           (wanted.c_cflag & control) == (actual.c_cflag & control) &&
           cfgetispeed(&wanted) == cfgetispeed(&actual) && cfgetospeed(&wanted) == cfgetospeed(&actual) &&
           wanted.c_cc[VMIN] == actual.c_cc[VMIN] && wanted.c_cc[VTIME] == actual.c_cc[VTIME] &&
           wanted.c_cc[VSTART] == actual.c_cc[VSTART] && wanted.c_cc[VSTOP] == actual.c_cc[VSTOP];
}

void TermiosLine::apply(int fd, const LineSettings& s, bool isPty) {
    termios current{};
    if (tcgetattr(fd, &current) != 0) refuse(errno);
    const termios wanted = build(current, s);
    if (tcsetattr(fd, TCSANOW, &wanted) != 0) refuse(errno);
    termios actual{};
    if (tcgetattr(fd, &actual) != 0) refuse(errno);
    if (!matches(wanted, actual, isPty)) refuse(EINVAL);
    // RTS is the driver's under CTS/RTS handshake; otherwise it is held as asked.
    if (s.rts != TRTSFlowControl::rtsHandshake) setModemLine(fd, TIOCM_RTS, s.rts == TRTSFlowControl::rtsEnable, isPty);
    setModemLine(fd, TIOCM_DTR, s.dtr == TDTRFlowControl::dtrEnable, isPty);
}

}  // namespace zuva::serial

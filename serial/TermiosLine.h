#pragma once

#include <termios.h>

#include "serial/LineSettings.h"

namespace zuva::serial {

// Puts the line settings on a tty with termios and the modem-line ioctls.
//
// The line always runs raw (no echo, no line editing, no character translation)
// with reads that return at once (VMIN 0, VTIME 0). Settings termios cannot express
// (DSR flow control, DTR handshake, RTS toggle, rates without a standard speed
// constant) are refused with error 7 and EINVAL rather than silently ignored.
// DiscardNull, the event character and the parity replacement character have no
// termios counterpart and are kept by the component only.
class TermiosLine {
public:
    // The termios for the settings, starting from the device's current one. Throws
    // EComPort 7 (EINVAL) for settings that cannot be expressed.
    static termios build(const termios& current, const LineSettings& settings);

    // Sets the termios, reads it back and compares, then sets RTS and DTR. A
    // pseudo-terminal has no line: it forces 8 data bits without parity or CTS flow
    // and has no modem lines, so for isPty those differences and ENOTTY/EINVAL from
    // the modem-line ioctls are accepted. Throws EComPort 7 with errno.
    static void apply(int fd, const LineSettings& settings, bool isPty);

    // True when the parts of the termios that the settings decide agree.
    static bool matches(const termios& wanted, const termios& actual, bool isPty);
};

}  // namespace zuva::serial

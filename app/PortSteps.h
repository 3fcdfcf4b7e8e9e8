#pragma once

#include <functional>
#include <string>

#include "acquisition/PortPresence.h"

namespace zuva::app {

// The port operations the start-up and shut-down sequences need, on top of the
// presence check. The program implements them with the serial-port component and
// its port selection; tests use a scripted port.
class PortSteps : public acquisition::PortPresence {
public:
    // Start-up's port step: 115200 bit/s, the stored name looked up among the ports
    // present (logging "ComPort detected: " + name or "Error: ComPort not
    // available!"), then afterLookup, then, when a port was found, the port opened
    // and applyGain run. Errors (port list, open) are thrown.
    virtual void DetectComPort(const std::string& storedComPort, const std::function<void()>& afterLookup,
                               const std::function<void()>& applyGain) = 0;
    // Baud rate 115200 and open (nothing when open already). Errors are thrown.
    virtual void OpenPort() = 0;
    // Nothing when closed. Errors are thrown.
    virtual void ClosePort() = 0;
    // The port the settings or the user named, kept while that port is away (so that
    // shut-down stores it instead of "COM99"); "COM99" when none was ever named.
    virtual std::string ConfiguredPort() const { return SelectedPort(); }
    // Whether a port of that name is listed now; logs nothing. Errors are thrown.
    virtual bool PortPresent(const std::string& name) {
        (void)name;
        return false;
    }
};

}  // namespace zuva::app

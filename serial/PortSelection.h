#pragma once

#include <functional>
#include <string>
#include <vector>

#include "recording/LogSink.h"

namespace zuva::serial {

class PortChooser;
class TComPort;

// The name SelectedPort holds when no usable port is known.
inline constexpr const char* kNoPortName = "COM99";

// Finding, choosing and checking the port in use. "Present" means listed by
// ListPortNames; a port is never probed by opening it.
class PortSelection {
public:
    // gainListChange: the gain list's change action (sends the control byte with the
    // gain and logs it). gpsButton: the GPS button's action.
    PortSelection(TComPort& port, recording::LogSink& log, PortChooser& chooser,
                  std::function<void()> gainListChange, std::function<void()> gpsButton);

    // Start-up: 115200 bit/s, look the stored name up (case-sensitive), log
    // "ComPort detected: " + name or "Error: ComPort not available!", then, when
    // found, afterLookup (where start-up selects the stored gain), OpenPort and the
    // gain list's change action. Errors (port list, open) pass on.
    void DetectComPort(const std::string& storedComPort, const std::function<void()>& afterLookup = {});

    // The "&ComPort" menu item: the port dialog, then the lookup of Port; logs
    // "Set ComPort: " + name, opens the port and runs the GPS action, or logs
    // "Error: ComPort not available!" and falls back to "COM99".
    void N24Click();

    // Before Start, Stop, the GPS action and closing: when the selected port is no
    // longer present, logs "Error:  Comport!" and falls back to "COM99".
    void CheckComPort();

    // The port dialog alone: OK applies the chosen name, Cancel nothing.
    void ShowPortDialog();

    const std::string& SelectedPort() const { return selectedPort_; }
    // The name the settings gave at start-up or the user last chose and found; it
    // stays while the port is away, so that a missing device never costs the setting.
    const std::string& ConfiguredPort() const { return configuredPort_; }
    // The hidden port list (ComboBox2) and the index of the last lookup's result.
    const std::vector<std::string>& PortList() const { return portList_; }
    int PortListIndex() const { return portListIndex_; }

private:
    // Lists the ports and looks SelectedPort up; true when found.
    bool lookup();

    TComPort& port_;
    recording::LogSink& log_;
    PortChooser& chooser_;
    std::function<void()> gainListChange_;
    std::function<void()> gpsButton_;
    std::string selectedPort_;
    std::string configuredPort_ = kNoPortName;
    std::vector<std::string> portList_;
    int portListIndex_ = -1;
};

}  // namespace zuva::serial

#include "serial/PortSelection.h"

#include "serial/PortChoiceModel.h"
#include "serial/PortChooser.h"
#include "serial/TComPort.h"

namespace zuva::serial {

PortSelection::PortSelection(TComPort& port, recording::LogSink& log, PortChooser& chooser,
                             std::function<void()> gainListChange, std::function<void()> gpsButton)
    : port_(port),
      log_(log),
      chooser_(chooser),
      gainListChange_(std::move(gainListChange)),
      gpsButton_(std::move(gpsButton)) {}

bool PortSelection::lookup() {
    portListIndex_ = -1;
    portList_.clear();
    port_.ListPortNames(portList_);
    for (std::size_t i = 0; i < portList_.size(); ++i) {
        if (portList_[i] == selectedPort_) {
            portListIndex_ = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void PortSelection::DetectComPort(const std::string& storedComPort, const std::function<void()>& afterLookup) {
    port_.SetBaudRate(TBaudRate::br115200);
    selectedPort_ = storedComPort;
    configuredPort_ = storedComPort.empty() ? std::string(kNoPortName) : storedComPort;
    if (!lookup()) {
        log_.addlogfile("Error: ComPort not available!");
        selectedPort_ = kNoPortName;
    } else {
        port_.SetPort(portList_[static_cast<std::size_t>(portListIndex_)]);
        log_.addlogfile("ComPort detected: " + port_.Port());
        selectedPort_ = port_.Port();
    }
    if (afterLookup) afterLookup();
    if (selectedPort_ != kNoPortName) {
        port_.OpenPort();
        if (gainListChange_) gainListChange_();
    }
}

void PortSelection::ShowPortDialog() {
    PortChoiceModel model(port_);
    if (chooser_.choose(model)) model.ApplyOk();
}

void PortSelection::N24Click() {
    ShowPortDialog();
    selectedPort_ = port_.Port().empty() ? std::string(kNoPortName) : port_.Port();
    if (!lookup()) {
        log_.addlogfile("Error: ComPort not available!");
        selectedPort_ = kNoPortName;
        return;
    }
    port_.SetPort(portList_[static_cast<std::size_t>(portListIndex_)]);
    log_.addlogfile("Set ComPort: " + port_.Port());
    selectedPort_ = port_.Port();
    configuredPort_ = selectedPort_;
    port_.OpenPort();
    if (gpsButton_) gpsButton_();
}

void PortSelection::CheckComPort() {
    if (!lookup()) {
        log_.addlogfile("Error:  Comport!");
        selectedPort_ = kNoPortName;
    }
}

}  // namespace zuva::serial

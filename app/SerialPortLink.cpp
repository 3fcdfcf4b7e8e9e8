#include "app/SerialPortLink.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>
#include <string_view>
#include <utility>

#include "serial/EComPort.h"

namespace zuva::app {

SerialPortLink::SerialPortLink(serial::Dispatcher& dispatcher, recording::LogSink& log,
                               serial::PortChooser* chooser, serial::PortLister lister)
    : log_(log),
      port_(dispatcher, withRefusalLog(std::move(lister), log)),
      selection_(
          port_, log, chooser ? *chooser : cancel_,
          [this] {
              if (applyGain_) applyGain_();
          },
          [this] {
              if (gpsButton_) gpsButton_();
          }) {}

serial::PortLister SerialPortLink::withRefusalLog(serial::PortLister lister, recording::LogSink& log) {
    // Each refusal is said once, until the directory is trusted again or refused for
    // another reason.
    auto said = std::make_shared<std::string>();
    lister.setRefusalListener([&log, said](const std::string& refusal) {
        if (refusal == *said) return;
        *said = refusal;
        if (!refusal.empty()) log.addlogfile("Error: " + refusal + "; its ports are not listed");
    });
    return lister;
}

void SerialPortLink::WriteByte(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    if (port_.WriteText(std::string_view(&c, 1)) != 1) throw serial::EComPort(serial::EComPort::kWrite, EAGAIN);
}

std::string SerialPortLink::SelectedPort() const {
    const std::string& name = selection_.SelectedPort();
    return name.empty() ? std::string(acquisition::kNoPort) : name;
}

void SerialPortLink::DetectComPort(const std::string& storedComPort, const std::function<void()>& afterLookup,
                                   const std::function<void()>& applyGain) {
    applyGain_ = applyGain;
    selection_.DetectComPort(storedComPort, afterLookup);
}

void SerialPortLink::OpenPort() {
    port_.SetBaudRate(serial::TBaudRate::br115200);
    port_.OpenPort();
    opened_ = serial::PortIdentity::of(port_.Port());
}

bool SerialPortLink::PortListed() {
    std::vector<std::string> names;
    port_.ListPortNames(names);
    if (std::find(names.begin(), names.end(), port_.Port()) == names.end()) return false;
    if (!opened_) return true;
    const auto now = serial::PortIdentity::of(port_.Port());
    if (!now) return false;
    if (opened_->sameDevice(*now)) {
        otherDeviceSaid_ = false;
        return true;
    }
    if (!otherDeviceSaid_) {
        log_.addlogfile("Error: ComPort " + port_.Port() + " is another device now (device " + now->text() +
                        ", was " + opened_->text() + "); not reopened");
    }
    otherDeviceSaid_ = true;
    return false;
}

bool SerialPortLink::PortPresent(const std::string& name) {
    std::vector<std::string> names;
    port_.ListPortNames(names);
    return std::find(names.begin(), names.end(), name) != names.end();
}

void SerialPortLink::N24Click(const std::function<void()>& gpsButton) {
    gpsButton_ = gpsButton;
    selection_.N24Click();
}

}  // namespace zuva::app

#include "app/SerialPortLink.h"

#include <algorithm>
#include <cerrno>
#include <vector>
#include <string_view>
#include <utility>

#include "serial/EComPort.h"

namespace zuva::app {

SerialPortLink::SerialPortLink(serial::Dispatcher& dispatcher, recording::LogSink& log,
                               serial::PortChooser* chooser, serial::PortLister lister)
    : port_(dispatcher, std::move(lister)),
      selection_(
          port_, log, chooser ? *chooser : cancel_,
          [this] {
              if (applyGain_) applyGain_();
          },
          [this] {
              if (gpsButton_) gpsButton_();
          }) {}

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
}

bool SerialPortLink::PortListed() {
    std::vector<std::string> names;
    port_.ListPortNames(names);
    return std::find(names.begin(), names.end(), port_.Port()) != names.end();
}

void SerialPortLink::N24Click(const std::function<void()>& gpsButton) {
    gpsButton_ = gpsButton;
    selection_.N24Click();
}

}  // namespace zuva::app

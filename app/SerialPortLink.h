#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "acquisition/PortIo.h"
#include "acquisition/ReopenablePort.h"
#include "app/PortSteps.h"
#include "recording/LogSink.h"
#include "serial/Dispatcher.h"
#include "serial/PortChooser.h"
#include "serial/PortIdentity.h"
#include "serial/PortSelection.h"
#include "serial/TComPort.h"

namespace zuva::app {

// The serial-port component and its port selection as the acquisition and the
// program's sequences use them: byte reads and writes, the presence check, the
// start-up port step and opening and closing, and letting go of a vanished device
// and reopening it under the same name.
class SerialPortLink final : public acquisition::PortIo, public PortSteps, public acquisition::ReopenablePort {
public:
    // chooser: the port dialog of the "&ComPort" menu item; may be null (no dialog:
    // Cancel).
    SerialPortLink(serial::Dispatcher& dispatcher, recording::LogSink& log, serial::PortChooser* chooser = nullptr,
                   serial::PortLister lister = serial::PortLister{});

    std::size_t ReadBytes(std::span<std::uint8_t> into) override { return port_.ReadBytes(into); }
    std::uint64_t takeDroppedBytes() override { return port_.TakeDroppedBytes(); }
    // Throws EComPort 2 when the byte could not be sent in time.
    void WriteByte(std::uint8_t byte) override;

    void CheckComPort() override { selection_.CheckComPort(); }
    std::string SelectedPort() const override;
    void DetectComPort(const std::string& storedComPort, const std::function<void()>& afterLookup,
                       const std::function<void()>& applyGain) override;
    void OpenPort() override;
    void ClosePort() override { port_.ClosePort(); }
    std::string ConfiguredPort() const override { return selection_.ConfiguredPort(); }
    bool PortPresent(const std::string& name) override;

    std::string PortName() const override { return port_.Port(); }
    // Lists the ports present and looks for Port (exact); the hidden port list of
    // the port selection is left as it was. A name that is listed but leads to
    // another device than the one opened last (another pseudo-terminal, another
    // adapter on the same ttyUSB number) counts as not there, said once.
    bool PortListed() override;
    void ReleasePort() override { port_.ClosePort(); }
    // OpenPort with the line settings held (115200 bit/s, as everywhere).
    void ReopenPort() override { OpenPort(); }

    // The "&ComPort" menu item; gpsButton is the GPS action run once a port is set.
    void N24Click(const std::function<void()>& gpsButton);

    serial::TComPort& port() { return port_; }

private:
    class CancelChooser final : public serial::PortChooser {
    public:
        bool choose(serial::PortChoiceModel&) override { return false; }
    };

    static serial::PortLister withRefusalLog(serial::PortLister lister, recording::LogSink& log);

    recording::LogSink& log_;
    CancelChooser cancel_;
    serial::TComPort port_;
    std::optional<serial::PortIdentity> opened_;
    bool otherDeviceSaid_ = false;
    std::function<void()> applyGain_;
    std::function<void()> gpsButton_;
    serial::PortSelection selection_;
};

}  // namespace zuva::app

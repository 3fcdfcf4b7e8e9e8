#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "serial/ComEventSink.h"
#include "serial/ComSettingsOwner.h"
#include "serial/ComTypes.h"
#include "serial/Dispatcher.h"
#include "serial/InputQueue.h"
#include "serial/LineSettings.h"
#include "serial/PortLister.h"
#include "serial/TComBuffer.h"
#include "serial/TComFlowControl.h"
#include "serial/TComParity.h"
#include "serial/TComThread.h"
#include "serial/TComTimeouts.h"

namespace zuva::serial {

// The serial-port component on termios. The port name is the device's full path.
//
// Settings are kept while the port is closed and applied when it opens, or at once
// when they change while it is open (unless a settings batch is open). OpenPort
// opens the device exclusively (TIOCEXCL and an advisory flock, since root passes
// TIOCEXCL), configures it and starts the event thread, which hands every
// characters-received event to the main thread through the dispatcher; there
// OnRxChar runs with the number of bytes waiting (never 0), one call at a time.
//
// Every call is made on the main thread. Errors are EComPort with the component's
// error number and errno.
//
// A device that goes away (USB adapter unplugged, pseudo-terminal master closed)
// ends the event thread; OnDeviceLost is then called once on the main thread and
// DeviceLost() holds until the port is closed. ClosePort followed by OpenPort
// (the same name, when it has come back, or another) works as on a fresh start.
// ClosePort and Port changes may also be made from inside the handlers.
class TComPort final : private ComSettingsOwner, private ComEventSink {
public:
    using RxCharHandler = std::function<void(TComPort& sender, int count)>;
    using DeviceLostHandler = std::function<void(TComPort& sender, int systemCode)>;

    explicit TComPort(Dispatcher& dispatcher, PortLister lister = PortLister{});
    ~TComPort();
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Handlers; assign before opening.
    RxCharHandler OnRxChar;
    DeviceLostHandler OnDeviceLost;

    // Port name. Setting a different name (letter case counts) stores it and, when
    // the port is open, closes it and opens it again under the new name; if that
    // reopening fails the port is left closed and the error passes on.
    const std::string& Port() const { return port_; }
    void SetPort(const std::string& name);

    TBaudRate BaudRate() const { return line_.baudRate; }
    void SetBaudRate(TBaudRate value);
    int CustomBaudRate() const { return line_.customBaudRate; }
    void SetCustomBaudRate(int value);
    TDataBits DataBits() const { return line_.dataBits; }
    void SetDataBits(TDataBits value);
    TStopBits StopBits() const { return line_.stopBits; }
    void SetStopBits(TStopBits value);
    bool DiscardNull() const { return line_.discardNull; }
    void SetDiscardNull(bool value);
    std::uint8_t EventChar() const { return line_.eventChar; }
    void SetEventChar(std::uint8_t value);

    TComParity& Parity() { return parity_; }
    const TComParity& Parity() const { return parity_; }
    TComFlowControl& FlowControl() { return flowControl_; }
    const TComFlowControl& FlowControl() const { return flowControl_; }
    TComTimeouts& Timeouts() { return timeouts_; }
    const TComTimeouts& Timeouts() const { return timeouts_; }
    TComBuffer& Buffer() { return buffer_; }
    const TComBuffer& Buffer() const { return buffer_; }

    // The line settings currently held (what the next apply hands to the device).
    LineSettings CurrentLineSettings() const;

    // Settings batch: opened and closed in pairs, may nest. While open nothing is
    // applied; closing the outermost batch applies, if the port is open, queue
    // sizes, line settings and time-outs in that order. An unmatched EndUpdate does nothing.
    void BeginUpdate();
    void EndUpdate();
    int UpdateDepth() const { return updateDepth_; }

    // Does nothing when open. Raises 1 (cannot open or not exclusively), 9, 7 or 8
    // (settings refused; the device is closed again). The port stays closed on failure.
    void OpenPort();
    // Does nothing when closed. Stops the event thread, serving any hand-off that is
    // pending meanwhile, and closes the device. An error raised by a handler run
    // during that wait is raised again once the port is closed.
    void ClosePort();
    bool Connected() const { return fd_ >= 0; }
    // The device went away while open: the event thread has ended.
    bool DeviceLost() const { return lost_; }

    // Copies what is waiting in the input queue, up to buffer.size() bytes, and
    // returns at once; stops at the place where a full queue dropped bytes. Raises 3.
    std::size_t ReadBytes(std::span<std::uint8_t> buffer);
    // The bytes a full input queue dropped at the place the reading has reached
    // (0 when there is no such loss there); counts each loss once.
    std::uint64_t TakeDroppedBytes() { return input_.takeDropped(); }
    // Bytes the input queue dropped since the port was opened, and in how many losses.
    std::uint64_t DroppedBytes() const { return input_.droppedTotal(); }
    std::uint64_t Overflows() const { return input_.overflows(); }
    // Sends all bytes and returns when they are out, or when the write time
    // (WriteTotalConstant + WriteTotalMultiplier per byte) has run out, with the
    // number sent. An empty text returns 0. Raises 2 (also on a closed port, EBADF).
    std::size_t WriteText(std::string_view text);
    // Bytes in the input queue (read ahead from the device by the event thread, at
    // most Buffer.InputSize). Raises 10.
    int WaitingCount() const;
    // Bytes taken out of the input queue by ReadBytes since the port was made.
    std::uint64_t BytesRead() const { return bytesRead_; }

    // Replaces names with the serial ports present, sorted. Raises 23.
    void ListPortNames(std::vector<std::string>& names) const;

    // The running event thread, for diagnostics (nullptr while closed).
    const TComThread* EventThread() const { return thread_.get(); }

private:
    void settingChanged(SettingsGroup group) override;
    RxDispatchOutcome dispatchRxChar(const TComThread& source) override;
    void dispatchDeviceLost(const TComThread& source, int systemCode) override;

    template <typename T>
    void changeLine(T& field, T value);
    void applyGroup(SettingsGroup group);
    void applyAll();
    void closeDevice();
    void close(std::exception_ptr& handlerError);
    void waitServing(TComThread& thread, std::exception_ptr& handlerError);
    void reapRetired(std::exception_ptr& handlerError);

    Dispatcher& dispatcher_;
    PortLister lister_;
    std::string port_;
    LineSettings line_;
    TComParity parity_;
    TComFlowControl flowControl_;
    TComTimeouts timeouts_;
    TComBuffer buffer_;
    int updateDepth_ = 0;

    int fd_ = -1;
    bool isPty_ = false;
    bool lost_ = false;
    bool closing_ = false;
    int dispatchDepth_ = 0;
    std::uint64_t bytesRead_ = 0;
    InputQueue input_;
    std::unique_ptr<TComThread> thread_;
    // Threads stopped from inside one of their own hand-offs; joined later.
    std::vector<std::unique_ptr<TComThread>> retired_;
};

}  // namespace zuva::serial

#include "serial/TComPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "serial/EComPort.h"
#include "serial/TermiosLine.h"

namespace zuva::serial {

namespace {

// Device majors of the Unix98 pseudo-terminal slaves (/dev/pts/N).
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

bool isPseudoTerminal(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const unsigned devMajor = major(info.st_rdev);
    return devMajor >= kPtySlaveMajorFirst && devMajor <= kPtySlaveMajorLast;
}

// Gives a serial line up to `limit` to send what is still in its output queue, such
// as the stop byte written just before closing: discarding it would leave the
// instrument transmitting. Bounded, so a line held up by flow control cannot keep
// the caller waiting.
void letOutputDrain(int fd, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int queued = 0;
    while (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The last bytes leave the transmitter after the queue is empty: 16 bytes at
    // 115200 bit/s take about 1.4 ms.
    if (queued == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// Counts a handler call in progress for as long as it runs (also when it throws).
class DispatchScope {
public:
    explicit DispatchScope(int& depth) : depth_(depth) { ++depth_; }
    ~DispatchScope() { --depth_; }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    int& depth_;
};

}  // namespace

TComPort::TComPort(Dispatcher& dispatcher, PortLister lister)
    : dispatcher_(dispatcher),
      lister_(std::move(lister)),
      parity_(*this),
      flowControl_(*this),
      timeouts_(*this),
      buffer_(*this) {}

TComPort::~TComPort() {
    // The owner is being taken apart: a hand-off still waiting when the thread is
    // stopped (bytes or a loss that came just before) must not call into it.
    OnRxChar = nullptr;
    OnDeviceLost = nullptr;
    try {
        std::exception_ptr ignored;
        close(ignored);
        reapRetired(ignored);
    } catch (...) {
        // A destructor must not throw; the device is closed in any case.
    }
}

// ---- settings -------------------------------------------------------------

void TComPort::SetPort(const std::string& name) {
    if (name == port_) return;
    if (!Connected()) {
        port_ = name;
        return;
    }
    std::exception_ptr handlerError;
    close(handlerError);
    port_ = name;
    OpenPort();
    if (handlerError) std::rethrow_exception(handlerError);
}

template <typename T>
void TComPort::changeLine(T& field, T value) {
    if (field == value) return;
    field = value;
    settingChanged(SettingsGroup::Line);
}

void TComPort::SetBaudRate(TBaudRate value) { changeLine(line_.baudRate, value); }
void TComPort::SetCustomBaudRate(int value) { changeLine(line_.customBaudRate, value); }
void TComPort::SetDataBits(TDataBits value) { changeLine(line_.dataBits, value); }
void TComPort::SetStopBits(TStopBits value) { changeLine(line_.stopBits, value); }
void TComPort::SetDiscardNull(bool value) { changeLine(line_.discardNull, value); }
void TComPort::SetEventChar(std::uint8_t value) { changeLine(line_.eventChar, value); }

LineSettings TComPort::CurrentLineSettings() const {
    LineSettings s = line_;
    s.parity = parity_.Bits();
    s.parityCheck = parity_.Check();
    s.parityReplace = parity_.Replace();
    s.parityReplaceChar = parity_.ReplaceChar();
    s.dtr = flowControl_.ControlDTR();
    s.rts = flowControl_.ControlRTS();
    s.outCtsFlow = flowControl_.OutCTSFlow();
    s.outDsrFlow = flowControl_.OutDSRFlow();
    s.dsrSensitivity = flowControl_.DSRSensitivity();
    s.txContinueOnXoff = flowControl_.TxContinueOnXoff();
    s.xonXoffIn = flowControl_.XonXoffIn();
    s.xonXoffOut = flowControl_.XonXoffOut();
    s.xonChar = flowControl_.XonChar();
    s.xoffChar = flowControl_.XoffChar();
    return s;
}

void TComPort::settingChanged(SettingsGroup group) {
    if (Connected() && updateDepth_ == 0) applyGroup(group);
}

void TComPort::BeginUpdate() { ++updateDepth_; }

void TComPort::EndUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0 && Connected()) applyAll();
}

void TComPort::applyGroup(SettingsGroup group) {
    switch (group) {
        case SettingsGroup::QueueSizes:
            // Linux sizes a tty's queues itself; only nonsense sizes are refused.
            if (buffer_.InputSize() <= 0 || buffer_.OutputSize() <= 0) throw EComPort(EComPort::kSetupComm, EINVAL);
            break;
        case SettingsGroup::Line:
            TermiosLine::apply(fd_, CurrentLineSettings(), isPty_);
            break;
        case SettingsGroup::Timeouts:
            // Reads never wait (VMIN 0, VTIME 0); the write limits are used by WriteText.
            if (timeouts_.ReadInterval() < -1 || timeouts_.ReadTotalMultiplier() < 0 ||
                timeouts_.ReadTotalConstant() < 0 || timeouts_.WriteTotalMultiplier() < 0 ||
                timeouts_.WriteTotalConstant() < 0) {
                throw EComPort(EComPort::kSetTimeouts, EINVAL);
            }
            break;
    }
}

void TComPort::applyAll() {
    applyGroup(SettingsGroup::QueueSizes);
    applyGroup(SettingsGroup::Line);
    applyGroup(SettingsGroup::Timeouts);
}

// ---- open and close -------------------------------------------------------

void TComPort::OpenPort() {
    if (Connected()) return;
    if (dispatchDepth_ == 0) {
        std::exception_ptr ignored;  // stopped threads call no handler
        reapRetired(ignored);
    }
    const int fd = ::open(port_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw EComPort(EComPort::kOpen, errno);
    const auto refuse = [fd](int systemCode) {
        ::close(fd);
        throw EComPort(EComPort::kOpen, systemCode);
    };
    if (!isatty(fd)) refuse(ENOTTY);
    // flock keeps out other programs even when they run as root (root passes TIOCEXCL).
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) refuse(errno);
    if (ioctl(fd, TIOCEXCL) != 0) refuse(errno);
    fd_ = fd;
    isPty_ = isPseudoTerminal(fd);
    lost_ = false;
    try {
        if (updateDepth_ == 0) applyAll();
        // What the device queued before this open belongs to nobody.
        tcflush(fd_, TCIOFLUSH);
        input_.reset(static_cast<std::size_t>(buffer_.InputSize()));
        thread_ = std::make_unique<TComThread>(fd_, dispatcher_, static_cast<ComEventSink&>(*this), input_);
    } catch (const std::system_error& error) {
        closeDevice();
        throw EComPort(EComPort::kOpen, error.code().value());
    } catch (...) {
        closeDevice();
        throw;
    }
}

void TComPort::ClosePort() {
    std::exception_ptr handlerError;
    close(handlerError);
    if (handlerError) std::rethrow_exception(handlerError);
}

void TComPort::close(std::exception_ptr& handlerError) {
    if (!Connected() || closing_) return;
    closing_ = true;
    struct ClosingScope {
        bool& flag;
        ~ClosingScope() { flag = false; }
    } scope{closing_};
    if (thread_) {
        thread_->requestStop();
        if (dispatchDepth_ > 0) {
            // Called from a handler: the thread waits for this very hand-off, so it
            // is joined later, once the hand-off has returned.
            retired_.push_back(std::move(thread_));
        } else {
            waitServing(*thread_, handlerError);
            thread_.reset();
        }
    }
    closeDevice();
    if (dispatchDepth_ == 0) reapRetired(handlerError);
}

void TComPort::closeDevice() {
    if (fd_ < 0) return;
    // Discard both queues, drop exclusivity (it outlives the descriptor on a
    // pseudo-terminal whose master stays open) and release the lock. Errors here
    // come from a device that is already gone and change nothing.
    // A pseudo-terminal's output queue is the other end's input: what is in it has
    // been written (WriteText counted it as sent), and flushing it would take back
    // the stop byte sent just before closing. Only its input is discarded.
    // On a serial line the output still queued is sent first (within a bound).
    if (!isPty_ && !lost_) letOutputDrain(fd_, std::chrono::milliseconds(250));
    tcflush(fd_, isPty_ ? TCIFLUSH : TCIOFLUSH);
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    isPty_ = false;
    lost_ = false;
}

void TComPort::waitServing(TComThread& thread, std::exception_ptr& handlerError) {
    while (!thread.finished()) {
        try {
            dispatcher_.servePending(std::chrono::milliseconds(5));
        } catch (...) {
            if (!handlerError) handlerError = std::current_exception();
        }
    }
    thread.join();
}

void TComPort::reapRetired(std::exception_ptr& handlerError) {
    while (!retired_.empty()) {
        std::unique_ptr<TComThread> thread = std::move(retired_.back());
        retired_.pop_back();
        waitServing(*thread, handlerError);
    }
}

// ---- input and output -----------------------------------------------------

std::size_t TComPort::ReadBytes(std::span<std::uint8_t> buffer) {
    if (!Connected()) throw EComPort(EComPort::kRead, EBADF);
    const std::size_t total = input_.take(buffer);
    bytesRead_ += total;
    return total;
}

std::size_t TComPort::WriteText(std::string_view text) {
    if (!Connected()) throw EComPort(EComPort::kWrite, EBADF);
    if (text.empty()) return 0;
    using Clock = std::chrono::steady_clock;
    const long constant = timeouts_.WriteTotalConstant();
    const long multiplier = timeouts_.WriteTotalMultiplier();
    const bool limited = constant != 0 || multiplier != 0;
    const long limitMs = std::max(0L, constant + multiplier * static_cast<long>(text.size()));
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    const auto msLeft = [&]() -> long {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return std::max(0L, static_cast<long>(left));
    };

    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + written, text.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            int wait = -1;
            if (limited) {
                const long left = msLeft();
                if (left == 0) return written;  // the write time has run out
                wait = static_cast<int>(std::min(left, 1000000L));
            }
            pollfd p{fd_, POLLOUT, 0};
            const int r = poll(&p, 1, wait);
            if (r < 0 && errno != EINTR) throw EComPort(EComPort::kWrite, errno);
            if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(p.revents & POLLOUT)) {
                throw EComPort(EComPort::kWrite, EIO);
            }
            continue;
        }
        throw EComPort(EComPort::kWrite, n < 0 ? errno : EIO);
    }
    // Wait until the driver has sent the bytes (a pseudo-terminal reports nothing queued).
    for (;;) {
        int pending = 0;
        if (ioctl(fd_, TIOCOUTQ, &pending) != 0) {
            if (errno == ENOTTY || errno == EINVAL) break;
            throw EComPort(EComPort::kWrite, errno);
        }
        if (pending <= 0) break;
        // One byte takes about 87 us at 115200 bit/s.
        auto pause = std::chrono::microseconds(std::max(1000L, pending * 87L));
        if (limited) {
            const long left = msLeft();
            if (left == 0) break;
            pause = std::min<std::chrono::microseconds>(pause, std::chrono::milliseconds(left));
        }
        std::this_thread::sleep_for(pause);
    }
    return written;
}

int TComPort::WaitingCount() const {
    if (!Connected()) throw EComPort(EComPort::kClearCommError, EBADF);
    return static_cast<int>(input_.size());
}

void TComPort::ListPortNames(std::vector<std::string>& names) const { names = lister_.list(); }

// ---- hand-offs from the event thread (main thread) --------------------------

RxDispatchOutcome TComPort::dispatchRxChar(const TComThread& source) {
    RxDispatchOutcome outcome;
    // A hand-off of a thread stopped meanwhile calls nothing.
    if (&source != thread_.get() || !Connected()) return outcome;
    const int count = static_cast<int>(input_.size());
    if (count > 0 && OnRxChar) {
        const std::uint64_t before = bytesRead_;
        const RxCharHandler handler = OnRxChar;  // the handler may reassign OnRxChar
        DispatchScope scope(dispatchDepth_);
        handler(*this, count);
        outcome.handlerRead = bytesRead_ != before;
    }
    if (&source == thread_.get() && Connected()) outcome.remaining = static_cast<int>(input_.size());
    return outcome;
}

void TComPort::dispatchDeviceLost(const TComThread& source, int systemCode) {
    if (&source != thread_.get() || !Connected()) return;
    lost_ = true;
    if (OnDeviceLost) {
        const DeviceLostHandler handler = OnDeviceLost;
        DispatchScope scope(dispatchDepth_);
        handler(*this, systemCode);
    }
}

}  // namespace zuva::serial

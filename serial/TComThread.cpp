#include "serial/TComThread.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace zuva::serial {

namespace {
constexpr std::uint64_t kDeviceTag = 1;
constexpr std::uint64_t kStopTag = 2;
constexpr std::uint64_t kArrivedTag = 3;

void closeIfOpen(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void signal(int fd) {
    const std::uint64_t one = 1;
    // The eventfd counter cannot overflow from these writes; a failed write leaves
    // the flags, which the waiting side checks after every wake.
    [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
}

void drainSignal(int fd) {
    std::uint64_t value = 0;
    [[maybe_unused]] const auto got = ::read(fd, &value, sizeof value);
}
}  // namespace

TComThread::TComThread(int fd, Dispatcher& dispatcher, ComEventSink& sink, InputQueue& input)
    : fd_(fd), dispatcher_(dispatcher), sink_(sink), input_(input) {
    const auto fail = [this](const char* what) {
        const int error = errno;
        closeIfOpen(readerEpollFd_);
        closeIfOpen(epollFd_);
        closeIfOpen(arrivedFd_);
        closeIfOpen(stopFd_);
        throw std::system_error(error, std::generic_category(), what);
    };
    stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd_ < 0) fail("eventfd");
    arrivedFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (arrivedFd_ < 0) fail("eventfd");
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) fail("epoll_create1");
    readerEpollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (readerEpollFd_ < 0) fail("epoll_create1");
    epoll_event device{};
    device.events = EPOLLIN;
    device.data.u64 = kDeviceTag;
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.u64 = kStopTag;
    epoll_event arrived{};
    arrived.events = EPOLLIN;
    arrived.data.u64 = kArrivedTag;
    if (epoll_ctl(readerEpollFd_, EPOLL_CTL_ADD, fd_, &device) != 0 ||
        epoll_ctl(readerEpollFd_, EPOLL_CTL_ADD, stopFd_, &stop) != 0 ||
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, arrivedFd_, &arrived) != 0 ||
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, stopFd_, &stop) != 0) {
        fail("epoll_ctl");
    }
    reader_ = std::thread([this] { readAhead(); });
    thread_ = std::thread([this] { run(); });
}

TComThread::~TComThread() {
    requestStop();
    join();
    closeIfOpen(readerEpollFd_);
    closeIfOpen(epollFd_);
    closeIfOpen(arrivedFd_);
    closeIfOpen(stopFd_);
}

void TComThread::requestStop() {
    stop_.store(true);
    signal(stopFd_);
}

void TComThread::join() {
    if (thread_.joinable()) thread_.join();
    if (reader_.joinable()) {
        // The reader ends with the stop signal or the device's hang-up.
        requestStop();
        reader_.join();
    }
}

void TComThread::readAhead() {
    std::array<std::uint8_t, 4096> chunk{};
    while (!stop_.load()) {
        epoll_event events[2];
        const int n = epoll_wait(readerEpollFd_, events, 2, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            goneCode_.store(errno);
            deviceGone_.store(true);
            signal(arrivedFd_);
            return;
        }
        if (stop_.load()) return;
        bool hangup = false;
        bool queued = false;
        for (;;) {
            const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
            if (got > 0) {
                input_.push(std::span<const std::uint8_t>(chunk.data(), static_cast<std::size_t>(got)));
                queued = true;
                continue;
            }
            // A terminal read with nothing waiting returns 0 (VMIN 0, VTIME 0) or EAGAIN.
            if (got == 0) break;
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            // A read error: the device has gone away (EIO once a pseudo-terminal's
            // master has closed or an adapter was pulled out).
            goneCode_.store(errno);
            hangup = true;
            break;
        }
        // A hang-up with everything read: the device is gone (a pseudo-terminal
        // whose master closed reads 0 bytes from then on).
        for (int i = 0; i < n && !hangup; ++i) {
            if (events[i].data.u64 == kDeviceTag && (events[i].events & (EPOLLHUP | EPOLLERR))) {
                goneCode_.store(EIO);
                hangup = true;
            }
        }
        if (hangup) deviceGone_.store(true);
        if (queued || hangup) signal(arrivedFd_);
        if (hangup) return;
    }
}

RxDispatchOutcome TComThread::handOffRx() {
    RxDispatchOutcome outcome;
    ++handOffs_;
    // If the handler throws, outcome keeps its defaults: nothing read, so the thread
    // waits for the next arrival and never spins on a failing handler.
    dispatcher_.runOnMainThread([&] { outcome = sink_.dispatchRxChar(*this); });
    return outcome;
}

void TComThread::handOffLost(int systemCode) {
    ++handOffs_;
    dispatcher_.runOnMainThread([&] { sink_.dispatchDeviceLost(*this, systemCode); });
}

void TComThread::run() {
    bool recheck = false;
    bool lost = false;
    int lostCode = EIO;
    while (!stop_.load()) {
        epoll_event events[2];
        const int n = epoll_wait(epollFd_, events, 2, recheck ? 0 : -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            lost = true;
            lostCode = errno;
            break;
        }
        ++wakeups_;
        if (stop_.load()) break;
        bool input = recheck;
        for (int i = 0; i < n; ++i) {
            if (events[i].data.u64 == kArrivedTag) input = true;
        }
        drainSignal(arrivedFd_);
        const bool gone = deviceGone_.load();
        recheck = false;
        bool hangup = false;
        if ((input || gone) && input_.size() > 0) {
            const RxDispatchOutcome outcome = handOffRx();
            if (stop_.load()) break;
            if (outcome.deviceFailed) {
                hangup = true;
                lostCode = outcome.systemCode;
            }
            recheck = !hangup && outcome.handlerRead && outcome.remaining > 0;
            // Once the device is gone, the loss follows when the handler takes no more.
            if (gone && !hangup && !recheck) {
                hangup = true;
                lostCode = goneCode_.load();
            }
        } else if (gone) {
            hangup = true;
            lostCode = goneCode_.load();
        }
        if (hangup) {
            lost = true;
            break;
        }
    }
    if (lost && !stop_.load()) handOffLost(lostCode);
    finished_.store(true);
}

}  // namespace zuva::serial

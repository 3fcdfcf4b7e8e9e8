#include "serial/TComThread.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace zuva::serial {

namespace {
constexpr std::uint64_t kDeviceTag = 1;
constexpr std::uint64_t kStopTag = 2;
}  // namespace

TComThread::TComThread(int fd, Dispatcher& dispatcher, ComEventSink& sink)
    : fd_(fd), dispatcher_(dispatcher), sink_(sink) {
    stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) {
        const int error = errno;
        ::close(stopFd_);
        throw std::system_error(error, std::generic_category(), "epoll_create1");
    }
    epoll_event device{};
    device.events = EPOLLIN | EPOLLET;
    device.data.u64 = kDeviceTag;
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.u64 = kStopTag;
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd_, &device) != 0 || epoll_ctl(epollFd_, EPOLL_CTL_ADD, stopFd_, &stop) != 0) {
        const int error = errno;
        ::close(epollFd_);
        ::close(stopFd_);
        throw std::system_error(error, std::generic_category(), "epoll_ctl");
    }
    thread_ = std::thread([this] { run(); });
}

TComThread::~TComThread() {
    requestStop();
    join();
    ::close(epollFd_);
    ::close(stopFd_);
}

void TComThread::requestStop() {
    stop_.store(true);
    const std::uint64_t one = 1;
    // The eventfd counter cannot overflow from a handful of writes; a failure leaves
    // the flag, which the thread checks after every wake.
    [[maybe_unused]] const auto written = ::write(stopFd_, &one, sizeof one);
}

void TComThread::join() {
    if (thread_.joinable()) thread_.join();
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
        bool hangup = false;
        for (int i = 0; i < n; ++i) {
            if (events[i].data.u64 != kDeviceTag) continue;
            if (events[i].events & EPOLLIN) input = true;
            if (events[i].events & (EPOLLHUP | EPOLLERR)) hangup = true;
        }
        recheck = false;
        if (input || hangup) {
            const RxDispatchOutcome outcome = handOffRx();
            if (stop_.load()) break;
            if (outcome.deviceFailed) {
                hangup = true;
                lostCode = outcome.systemCode;
            }
            recheck = !hangup && outcome.handlerRead && outcome.remaining > 0;
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

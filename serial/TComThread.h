#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "serial/ComEventSink.h"
#include "serial/Dispatcher.h"
#include "serial/InputQueue.h"

namespace zuva::serial {

// The port's event thread, in two parts. The reader reads ahead: it takes every
// byte the device delivers into the input queue at once, also while the main
// thread is busy, so the kernel's small terminal buffer never overflows and the
// queue's fill level is the true number of waiting bytes. The dispatcher waits for
// the reader's signal (an eventfd) and for its stop signal, and hands each
// characters-received event to the main thread through the dispatcher, blocking
// until it has been handled.
//
// Every arrival, also one during a hand-off, ends the next wait, so no byte goes
// unannounced. When bytes remain after a handler that did read, the thread
// dispatches again at once; when the handler read nothing (no handler, or it
// failed first) it waits for the next arrival instead of spinning on bytes nobody
// takes.
//
// A device that hangs up (USB adapter unplugged, pseudo-terminal master closed)
// ends the thread: the bytes still queued are dispatched first, then the loss is
// handed over once and the thread finishes.
class TComThread {
public:
    // Starts the thread on an open device. Throws std::system_error when the
    // stop signal or the wait cannot be created.
    TComThread(int fd, Dispatcher& dispatcher, ComEventSink& sink, InputQueue& input);
    ~TComThread();  // joins; requestStop must have been called or the thread have ended
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Any thread. The thread ends at its next check; a hand-off already begun completes first.
    void requestStop();
    bool stopRequested() const { return stop_.load(); }
    // True once the thread has done its last hand-off and touches nothing more.
    bool finished() const { return finished_.load(); }
    void join();

    // Times the thread woke from its wait (for checking that it never spins).
    std::uint64_t wakeups() const { return wakeups_.load(); }
    std::uint64_t handOffs() const { return handOffs_.load(); }

private:
    void run();
    void readAhead();
    RxDispatchOutcome handOffRx();
    void handOffLost(int systemCode);

    const int fd_;
    Dispatcher& dispatcher_;
    ComEventSink& sink_;
    InputQueue& input_;
    int stopFd_ = -1;
    int arrivedFd_ = -1;     // the reader's signal: bytes queued, or the device gone
    int epollFd_ = -1;       // the dispatcher's wait: arrivedFd_ and stopFd_
    int readerEpollFd_ = -1; // the reader's wait: the device and stopFd_
    std::atomic<bool> deviceGone_{false};
    std::atomic<int> goneCode_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::uint64_t> wakeups_{0};
    std::atomic<std::uint64_t> handOffs_{0};
    std::thread reader_;
    std::thread thread_;
};

}  // namespace zuva::serial

#pragma once

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "serial/Dispatcher.h"

namespace zuva::app {

// The serial hand-off through the Qt event loop: the port's event thread queues its
// task, wakes the main thread's loop with a queued call and blocks until the task
// has run there. The main thread can also serve the queue itself while it waits for
// the event thread to end (ClosePort), so closing never deadlocks against a
// hand-off the loop has not reached yet. Must be created on the main thread.
class QtDispatcher final : public serial::Dispatcher {
public:
    // Errors raised by a task run from the event loop, which has no caller to pass
    // them to; by default they are written to standard error.
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    explicit QtDispatcher(ErrorHandler onLoopError = {});
    QtDispatcher(const QtDispatcher&) = delete;
    QtDispatcher& operator=(const QtDispatcher&) = delete;

    void runOnMainThread(const std::function<void()>& task) override;
    void servePending(std::chrono::milliseconds maxWait) override;

private:
    struct Request {
        const std::function<void()>* task;
        bool done = false;
    };
    // Runs every waiting request; returns the first error raised.
    std::exception_ptr serveAll(std::unique_lock<std::mutex>& lock);

    const std::thread::id mainThread_;
    ErrorHandler onLoopError_;
    QObject context_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable finished_;
    std::deque<Request*> queue_;
};

}  // namespace zuva::app

#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "serial/Dispatcher.h"

namespace zuva::serial {

// A Dispatcher without an event loop: other threads queue tasks and block; the
// thread that created the queue (the main thread) runs them when it calls
// servePending or serveUntil. A task queued from the main thread itself runs at once.
class MainThreadQueue final : public Dispatcher {
public:
    MainThreadQueue();
    MainThreadQueue(const MainThreadQueue&) = delete;
    MainThreadQueue& operator=(const MainThreadQueue&) = delete;

    void runOnMainThread(const std::function<void()>& task) override;
    void servePending(std::chrono::milliseconds maxWait) override;

    // Runs tasks as they come until done() holds or the time-out has passed;
    // returns done(). done is checked after each task and at least every 10 ms.
    bool serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // Tasks queued and not yet run.
    std::size_t waiting() const;
    // Tasks run so far.
    std::size_t served() const;

private:
    struct Request {
        const std::function<void()>* task;
        bool done = false;
    };

    // Runs the front request, if any; the lock is released while the task runs.
    bool runOne(std::unique_lock<std::mutex>& lock);

    const std::thread::id mainThread_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable finished_;
    std::deque<Request*> queue_;
    std::size_t served_ = 0;
};

}  // namespace zuva::serial

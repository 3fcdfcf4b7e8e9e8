#include "serial/MainThreadQueue.h"

#include <algorithm>
#include <exception>

namespace zuva::serial {

MainThreadQueue::MainThreadQueue() : mainThread_(std::this_thread::get_id()) {}

void MainThreadQueue::runOnMainThread(const std::function<void()>& task) {
    if (std::this_thread::get_id() == mainThread_) {
        task();
        return;
    }
    Request request{&task};
    std::unique_lock lock(mutex_);
    queue_.push_back(&request);
    arrived_.notify_all();
    finished_.wait(lock, [&] { return request.done; });
}

bool MainThreadQueue::runOne(std::unique_lock<std::mutex>& lock) {
    if (queue_.empty()) return false;
    Request* request = queue_.front();
    queue_.pop_front();
    lock.unlock();
    std::exception_ptr error;
    try {
        (*request->task)();
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    request->done = true;
    ++served_;
    finished_.notify_all();
    if (error) {
        lock.unlock();
        std::rethrow_exception(error);
    }
    return true;
}

void MainThreadQueue::servePending(std::chrono::milliseconds maxWait) {
    std::unique_lock lock(mutex_);
    if (queue_.empty()) arrived_.wait_for(lock, maxWait, [&] { return !queue_.empty(); });
    // Only what is waiting now: a thread that queues again at once waits for the next call.
    for (std::size_t n = queue_.size(); n > 0; --n) {
        if (!runOne(lock)) break;
    }
}

bool MainThreadQueue::serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return done();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        std::unique_lock lock(mutex_);
        if (queue_.empty()) {
            arrived_.wait_for(lock, std::min(left, std::chrono::milliseconds(10)), [&] { return !queue_.empty(); });
        }
        runOne(lock);
    }
    return true;
}

std::size_t MainThreadQueue::waiting() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t MainThreadQueue::served() const {
    std::lock_guard lock(mutex_);
    return served_;
}

}  // namespace zuva::serial

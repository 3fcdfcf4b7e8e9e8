#include "app/QtDispatcher.h"

#include <QMetaObject>

#include <cstdio>
#include <utility>

namespace zuva::app {

QtDispatcher::QtDispatcher(ErrorHandler onLoopError)
    : mainThread_(std::this_thread::get_id()), onLoopError_(std::move(onLoopError)) {}

void QtDispatcher::runOnMainThread(const std::function<void()>& task) {
    if (std::this_thread::get_id() == mainThread_) {
        task();
        return;
    }
    Request request{&task};
    std::unique_lock lock(mutex_);
    queue_.push_back(&request);
    arrived_.notify_all();
    lock.unlock();
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            std::unique_lock serveLock(mutex_);
            const std::exception_ptr error = serveAll(serveLock);
            serveLock.unlock();
            if (!error) return;
            if (onLoopError_) {
                onLoopError_(error);
                return;
            }
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "zuva-logger: %s\n", e.what());
            } catch (...) {
                std::fprintf(stderr, "zuva-logger: unknown error in a serial notification\n");
            }
        },
        Qt::QueuedConnection);
    lock.lock();
    finished_.wait(lock, [&request] { return request.done; });
}

void QtDispatcher::servePending(std::chrono::milliseconds maxWait) {
    std::unique_lock lock(mutex_);
    if (queue_.empty()) arrived_.wait_for(lock, maxWait, [this] { return !queue_.empty(); });
    const std::exception_ptr error = serveAll(lock);
    lock.unlock();
    if (error) std::rethrow_exception(error);
}

std::exception_ptr QtDispatcher::serveAll(std::unique_lock<std::mutex>& lock) {
    std::exception_ptr first;
    while (!queue_.empty()) {
        Request* request = queue_.front();
        queue_.pop_front();
        lock.unlock();
        try {
            (*request->task)();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
        lock.lock();
        request->done = true;
        finished_.notify_all();
    }
    return first;
}

}  // namespace zuva::app

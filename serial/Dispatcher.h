#pragma once

#include <chrono>
#include <functional>

namespace zuva::serial {

// Hands work from the port's event thread to the main thread.
//
// runOnMainThread is called on the event thread and returns only after the task
// has run on the main thread (also when the task threw: the error belongs to the
// main thread, see servePending). In the program this is the Qt event loop with a
// blocking queued call; headless code and the tests use MainThreadQueue.
//
// servePending is called on the main thread while it waits for an event thread
// (ClosePort): it runs the hand-offs already waiting, or waits up to maxWait for
// one and runs it. An error raised by a task passes to the caller of servePending
// after the event thread has been released.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual void runOnMainThread(const std::function<void()>& task) = 0;
    virtual void servePending(std::chrono::milliseconds maxWait) = 0;
};

}  // namespace zuva::serial

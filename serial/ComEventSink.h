#pragma once

namespace zuva::serial {

class TComThread;

// What a characters-received dispatch found.
struct RxDispatchOutcome {
    bool handlerRead = false;  // the handler took bytes from the queue
    int remaining = 0;         // bytes still waiting after the handler
    bool deviceFailed = false; // the queue could not be queried: the device is gone
    int systemCode = 0;        // errno of that failure
};

// The component's side of the event thread. Both calls run on the main thread,
// inside a hand-off of the thread named as source.
class ComEventSink {
public:
    virtual RxDispatchOutcome dispatchRxChar(const TComThread& source) = 0;
    virtual void dispatchDeviceLost(const TComThread& source, int systemCode) = 0;

protected:
    ~ComEventSink() = default;
};

}  // namespace zuva::serial

#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acquisition/FaultReporter.h"
#include "acquisition/SecondListener.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// Hands each completed second to every listener in the order they were added. A
// listener that throws is reported once per episode under its own name and never
// keeps the second from the listeners after it.
class SecondFanOut final : public SecondListener {
public:
    explicit SecondFanOut(recording::LogSink& log) : log_(log) {}

    // name: what the listener makes, for the log line of a failure ("IAGA-2002 files").
    void add(SecondListener& listener, const std::string& name);
    void remove(SecondListener& listener);
    std::size_t size() const { return listeners_.size(); }

    void secondCompleted(const CompletedSecond& second) override;

private:
    struct Entry {
        SecondListener* listener;
        std::string name;
        std::unique_ptr<FaultReporter> faults;
    };
    recording::LogSink& log_;
    std::vector<Entry> listeners_;
};

}  // namespace zuva::acquisition

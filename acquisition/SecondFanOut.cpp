#include "acquisition/SecondFanOut.h"

#include <algorithm>

namespace zuva::acquisition {

void SecondFanOut::add(SecondListener& listener, const std::string& name) {
    listeners_.push_back({&listener, name, std::make_unique<FaultReporter>(log_)});
}

void SecondFanOut::remove(SecondListener& listener) {
    std::erase_if(listeners_, [&](const Entry& e) { return e.listener == &listener; });
}

void SecondFanOut::secondCompleted(const CompletedSecond& second) {
    for (auto& entry : listeners_) {
        try {
            entry.listener->secondCompleted(second);
            entry.faults->recovered();
        } catch (...) {
            entry.faults->failed("Error: " + entry.name + " did not take second " + timeText(second.time) + ": " +
                                 currentErrorText(std::current_exception()));
        }
    }
}

}  // namespace zuva::acquisition

#include "display/DataFlowWatch.h"

namespace zuva::display {

void DataFlowWatch::runStarted(const std::string& sinceText) {
    running_ = true;
    last_ = clock_();
    lastText_ = sinceText;
}

void DataFlowWatch::runStopped() { running_ = false; }

void DataFlowWatch::secondArrived(const std::string& timeText) {
    last_ = clock_();
    lastText_ = timeText;
}

std::string DataFlowWatch::check(bool portAway) const {
    if (!running_) return {};
    if (portAway) return kPortLost;
    if (clock_() - last_ >= kSilence) return "No data since " + lastText_;
    return {};
}

}  // namespace zuva::display

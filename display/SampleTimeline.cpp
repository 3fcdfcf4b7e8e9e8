#include "display/SampleTimeline.h"

#include <algorithm>
#include <cmath>

namespace zuva::display {

void SampleTimeline::clear() {
    runs_.clear();
    runs_.shrink_to_fit();
    size_ = 0;
}

void SampleTimeline::append(double seconds) {
    if (size_ == 0) {
        earliest_ = latest_ = seconds;
    } else {
        earliest_ = std::min(earliest_, seconds);
        latest_ = std::max(latest_, seconds);
    }
    if (!runs_.empty()) {
        Run& run = runs_.back();
        if (run.count == 1) {
            if (seconds > run.start) {
                run.step = seconds - run.start;
                run.count = 2;
                ++size_;
                return;
            }
        } else if (std::fabs(seconds - run.timeAt(run.count)) <= kTolerance) {
            ++run.count;
            ++size_;
            return;
        }
    }
    runs_.push_back(Run{seconds, 0.0, size_, 1});
    ++size_;
}

double SampleTimeline::timeAt(std::size_t index) const {
    auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](std::size_t i, const Run& r) { return i < r.first; });
    const Run& run = *(it - 1);
    return run.timeAt(index - run.first);
}

std::size_t SampleTimeline::firstOffsetAtOrAfter(const Run& run, double t) {
    if (run.count == 0 || t <= run.start) return 0;
    if (run.count == 1 || !(run.step > 0.0)) return run.count;
    // Estimate, then settle on the exact sample with the same arithmetic as timeAt.
    const double estimate = std::ceil((t - run.start) / run.step);
    std::size_t i = estimate >= static_cast<double>(run.count) ? run.count : static_cast<std::size_t>(estimate);
    while (i > 0 && run.timeAt(i - 1) >= t) --i;
    while (i < run.count && run.timeAt(i) < t) ++i;
    return i;
}

void SampleTimeline::offsetsWithin(const Run& run, double from, double to, std::size_t& begin,
                                   std::size_t& end) {
    begin = firstOffsetAtOrAfter(run, from);
    end = std::max(begin, firstOffsetAtOrAfter(run, to));
}

bool SampleTimeline::span(double& earliest, double& latest) const {
    if (size_ == 0) return false;
    earliest = earliest_;
    latest = latest_;
    return true;
}

}  // namespace zuva::display

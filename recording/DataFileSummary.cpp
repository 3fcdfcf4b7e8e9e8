#include "recording/DataFileSummary.h"

namespace zuva::recording {

bool DataFileSummary::consumeBlock(const RecordBlock& block) {
    for (const int t : block.recordSecond) {
        if (last_) {
            const int step = (t - *last_ + 86400) % 86400;
            if (step == 0) {
                ++repeated_;
            } else if (step > 1) {
                ++gapCount_;
                missing_ += static_cast<std::uint64_t>(step - 1);
                if (gaps_.size() < kMaxListedGaps) gaps_.push_back({*last_, t, step - 1});
            }
        } else {
            first_ = t;
        }
        last_ = t;
        ++records_;
    }
    return true;
}

}  // namespace zuva::recording

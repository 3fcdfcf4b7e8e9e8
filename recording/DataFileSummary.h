#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "recording/RecordBlockConsumer.h"

namespace zuva::recording {

// Seconds missing between two consecutive records (times as seconds after midnight).
struct RecordGap {
    int before = 0;  // time of the record before the gap
    int after = 0;   // time of the record after it
    int missingSeconds = 0;
};

// Counts the records of a data file and finds the gaps between them while the
// record reader walks the file. Consecutive records normally lie one second apart;
// the difference is taken modulo a day, so 23:59:59 followed by 00:00:00 is no gap.
// A record with the same time as the one before counts as repeated.
class DataFileSummary final : public RecordBlockConsumer {
public:
    static inline constexpr std::size_t kMaxListedGaps = 1000;

    bool consumeBlock(const RecordBlock& block) override;

    std::uint64_t records() const { return records_; }
    std::optional<int> firstSecond() const { return first_; }
    std::optional<int> lastSecond() const { return last_; }
    const std::vector<RecordGap>& gaps() const { return gaps_; }  // the first kMaxListedGaps
    std::uint64_t gapCount() const { return gapCount_; }
    std::uint64_t missingSeconds() const { return missing_; }
    std::uint64_t repeatedSeconds() const { return repeated_; }

private:
    std::uint64_t records_ = 0;
    std::optional<int> first_;
    std::optional<int> last_;
    std::vector<RecordGap> gaps_;
    std::uint64_t gapCount_ = 0;
    std::uint64_t missing_ = 0;
    std::uint64_t repeated_ = 0;
};

}  // namespace zuva::recording

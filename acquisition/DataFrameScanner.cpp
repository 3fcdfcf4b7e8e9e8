#include "acquisition/DataFrameScanner.h"

#include <cstring>

namespace zuva::acquisition {

namespace {
constexpr std::size_t kIndexOffset = 8;  // SampleIndex, byte 9
}  // namespace

bool DataFrameScanner::checksOut(const std::uint8_t* frame) {
    if (frame[0] != kDataFrameSync) return false;
    unsigned sum = 0;
    for (std::size_t i = 1; i + 1 < kDataFrameSize; ++i) sum += frame[i];
    return static_cast<std::uint8_t>(sum) == frame[kDataFrameSize - 1];
}

void DataFrameScanner::restart() {
    len_ = 0;
    hunting_ = true;
    haveLast_ = false;
}

void DataFrameScanner::breakInStream() {
    skipped_ += len_;
    len_ = 0;
    hunting_ = true;
}

void DataFrameScanner::drop(std::size_t n) {
    if (n == 0) return;
    if (n >= len_) {
        len_ = 0;
        return;
    }
    std::memmove(held_.data(), held_.data() + n, len_ - n);
    len_ -= n;
}

std::optional<std::int64_t> DataFrameScanner::secondsOf(const std::uint8_t* stamp) {
    const auto s = readFrameStamp(std::span<const std::uint8_t, 6>(stamp, 6));
    if (!s) return std::nullopt;
    return stampSeconds(*s);
}

bool DataFrameScanner::fitsLastGood(const std::uint8_t* frame) const {
    if (!haveLast_) return false;
    const auto last = secondsOf(lastStamp_.data());
    const auto now = secondsOf(frame + 2);
    if (!last || !now) return false;
    const std::int64_t apart = *now - *last;
    return apart >= -kPlausibleSeconds && apart <= kPlausibleSeconds;
}

bool DataFrameScanner::confirmedBy(const std::uint8_t* frame, const std::uint8_t* next) {
    if (!checksOut(next)) return false;
    const auto first = secondsOf(frame + 2);
    const auto second = secondsOf(next + 2);
    if (!first || !second) return false;
    const std::int64_t apart = *second - *first;
    if (apart == 0) return next[kIndexOffset] > frame[kIndexOffset];
    return apart == 1;
}

}  // namespace zuva::acquisition

#include "display/MinMaxPyramid.h"

#include <algorithm>
#include <limits>

namespace zuva::display {

namespace {

constexpr MinMaxPyramid::Range kEmpty{std::numeric_limits<float>::infinity(),
                                      -std::numeric_limits<float>::infinity()};

void merge(MinMaxPyramid::Range& into, const MinMaxPyramid::Range& r) {
    into.min = std::min(into.min, r.min);
    into.max = std::max(into.max, r.max);
}

std::size_t roundUp(std::size_t v, std::size_t m) { return (v + m - 1) / m * m; }
std::size_t roundDown(std::size_t v, std::size_t m) { return v / m * m; }

}  // namespace

void MinMaxPyramid::clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    levels_.clear();
    levels_.shrink_to_fit();
    size_ = 0;
}

void MinMaxPyramid::append(const float* values, std::size_t n) {
    if (n == 0) return;
    const std::size_t first = size_;
    while (n > 0) {
        const std::size_t offset = size_ & (kChunkSize - 1);
        if (offset == 0 && (size_ >> kChunkBits) == chunks_.size()) {
            chunks_.push_back(std::make_unique_for_overwrite<float[]>(kChunkSize));
        }
        const std::size_t take = std::min(n, kChunkSize - offset);
        std::copy_n(values, take, chunks_[size_ >> kChunkBits].get() + offset);
        values += take;
        n -= take;
        size_ += take;
    }
    rebuildFrom(first);
}

void MinMaxPyramid::rebuildFrom(std::size_t firstNewSample) {
    // Level 0 from the samples: the block holding the first new sample onwards.
    std::size_t from = firstNewSample / kBaseBlock;
    std::size_t count = roundUp(size_, kBaseBlock) / kBaseBlock;
    if (levels_.empty()) levels_.emplace_back();
    {
        auto& level = levels_[0];
        level.resize(count);
        for (std::size_t j = from; j < count; ++j) {
            level[j] = scanSamples(j * kBaseBlock, std::min(size_, (j + 1) * kBaseBlock));
        }
    }
    // Each further level from the one below, until a level has at most kFanout blocks.
    for (std::size_t k = 1; levels_[k - 1].size() > kFanout; ++k) {
        // A level that comes into being now is built whole, not from the new samples on.
        const bool fresh = levels_.size() == k;
        if (fresh) levels_.emplace_back();  // before taking references into levels_
        const auto& below = levels_[k - 1];
        from = fresh ? 0 : from / kFanout;
        count = roundUp(below.size(), kFanout) / kFanout;
        auto& level = levels_[k];
        level.resize(count);
        for (std::size_t j = from; j < count; ++j) {
            Range r = kEmpty;
            const std::size_t end = std::min(below.size(), (j + 1) * kFanout);
            for (std::size_t i = j * kFanout; i < end; ++i) merge(r, below[i]);
            level[j] = r;
        }
    }
}

MinMaxPyramid::Range MinMaxPyramid::scanSamples(std::size_t begin, std::size_t end) const {
    Range r = kEmpty;
    while (begin < end) {
        const float* chunk = chunks_[begin >> kChunkBits].get();
        const std::size_t offset = begin & (kChunkSize - 1);
        const std::size_t stop = std::min(end - begin, kChunkSize - offset) + offset;
        float lo = r.min;
        float hi = r.max;
        for (std::size_t i = offset; i < stop; ++i) {
            lo = std::min(lo, chunk[i]);
            hi = std::max(hi, chunk[i]);
        }
        r = {lo, hi};
        begin += stop - offset;
    }
    return r;
}

MinMaxPyramid::Range MinMaxPyramid::minMax(std::size_t begin, std::size_t end) const {
    end = std::min(end, size_);
    if (begin >= end) return kEmpty;

    // The samples before the first and after the last whole level-0 block.
    std::size_t lo = roundUp(begin, kBaseBlock);
    std::size_t hi = roundDown(end, kBaseBlock);
    if (lo >= hi) return scanSamples(begin, end);
    Range r = scanSamples(begin, lo);
    merge(r, scanSamples(hi, end));
    lo /= kBaseBlock;
    hi /= kBaseBlock;

    // Climb: at each level take the blocks left over at both ends, then go up.
    for (std::size_t k = 0; k < levels_.size(); ++k) {
        const auto& level = levels_[k];
        const std::size_t up = roundUp(lo, kFanout);
        const std::size_t down = roundDown(hi, kFanout);
        if (k + 1 == levels_.size() || up >= down) {
            for (std::size_t j = lo; j < hi; ++j) merge(r, level[j]);
            return r;
        }
        for (std::size_t j = lo; j < up; ++j) merge(r, level[j]);
        for (std::size_t j = down; j < hi; ++j) merge(r, level[j]);
        lo = up / kFanout;
        hi = down / kFanout;
    }
    return r;
}

std::size_t MinMaxPyramid::memoryBytes() const {
    std::size_t bytes = chunks_.size() * kChunkSize * sizeof(float) + chunks_.capacity() * sizeof(chunks_[0]);
    for (const auto& level : levels_) bytes += level.capacity() * sizeof(Range);
    return bytes;
}

}  // namespace zuva::display

#include "display/LivePointStore.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace zuva::display {

namespace {

constexpr std::size_t kSmallestRing = 1024;
static_assert(LivePointStore::kBaseBlock == 16 && LivePointStore::kFanout == 8, "shifts of 4 and 3 below");
constexpr LivePointStore::Range kEmpty{std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity()};

void take(LivePointStore::Range& into, double value) {
    // Comparisons with NaN are false: empty points leave the range as it is.
    if (value < into.min) into.min = value;
    if (value > into.max) into.max = value;
}

void merge(LivePointStore::Range& into, const LivePointStore::Range& r) {
    if (r.min < into.min) into.min = r.min;
    if (r.max > into.max) into.max = r.max;
}

// The first index in lo..hi-1 whose key is not `before` (hi when none); the keys are
// in order, so `before` holds for a leading run of them.
template <class Before>
std::size_t firstNotBefore(const LivePointStore& points, std::size_t lo, std::size_t hi, Before before) {
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (before(points.keyAt(mid))) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

}  // namespace

void LivePointStore::reserveRing(std::size_t capacity) {
    keys_.assign(capacity, 0.0);
    values_.assign(capacity, 0.0);
    levels_.clear();
    unsigned shift = 4;  // log2(kBaseBlock)
    while ((std::size_t{1} << shift) <= capacity) {
        levels_.push_back(Level{shift, std::vector<Range>(capacity >> shift, kEmpty)});
        shift += 3;  // log2(kFanout)
    }
    head_ = tail_ = 0;
    breaks_.clear();
    ++generation_;
}

void LivePointStore::clear() {
    head_ = tail_ = 0;
    breaks_.clear();
    ++generation_;
}

void LivePointStore::push(double key, double value) {
    const std::uint64_t seq = tail_;
    keys_[slot(seq)] = key;
    values_[slot(seq)] = value;
    for (Level& level : levels_) {
        Range& block = level.blocks[static_cast<std::size_t>(seq >> level.shift) & (level.blocks.size() - 1)];
        // The first point of a block starts its range afresh: the ring has moved on
        // and the slot held a block that left long ago.
        if ((seq & ((std::uint64_t{1} << level.shift) - 1)) == 0) block = kEmpty;
        take(block, value);
    }
    if (std::isnan(value)) breaks_.push_back(seq);
    ++tail_;
}

void LivePointStore::append(double key, double value) {
    if (keys_.empty()) reserveRing(kSmallestRing);
    const std::size_t n = size();
    if (n > 0 && key < keyAt(n - 1)) {
        // After the points whose keys are not above it, as a sorted container keeps them.
        rebuildWith(firstNotBefore(*this, 0, n, [key](double k) { return k <= key; }), key, value);
        return;
    }
    if (n == capacity()) {
        rebuildWith(n, key, value);
        return;
    }
    push(key, value);
}

void LivePointStore::rebuildWith(std::size_t insertAt, double key, double value) {
    const std::size_t n = size();
    std::vector<std::pair<double, double>> points;
    points.reserve(n + 1);
    for (std::size_t i = 0; i < n; ++i) points.emplace_back(keyAt(i), valueAt(i));
    points.insert(points.begin() + static_cast<std::ptrdiff_t>(insertAt), {key, value});
    std::size_t ring = std::max(capacity(), kSmallestRing);
    while (ring < points.size()) ring *= 2;
    reserveRing(ring);
    for (const auto& [k, v] : points) push(k, v);
}

void LivePointStore::removeFirst() {
    if (empty()) return;
    if (!breaks_.empty() && breaks_.front() == head_) breaks_.pop_front();
    ++head_;
}

std::size_t LivePointStore::lowerBound(double key) const {
    return firstNotBefore(*this, 0, size(), [key](double k) { return k < key; });
}

LivePointStore::Range LivePointStore::minMax(std::size_t begin, std::size_t end) const {
    Range r = kEmpty;
    end = std::min(end, size());
    if (begin >= end) return r;
    std::uint64_t seq = head_ + begin;
    std::uint64_t stop = head_ + end;
    // Single points at the ragged ends, then whole blocks: at each level those that do
    // not fill a block of the next level, from both ends inwards, then one level up.
    constexpr std::uint64_t base = kBaseBlock - 1;
    while (seq < stop && (seq & base) != 0) take(r, values_[slot(seq++)]);
    while (stop > seq && (stop & base) != 0) take(r, values_[slot(--stop)]);
    std::uint64_t first = seq >> 4;
    std::uint64_t last = stop >> 4;
    for (std::size_t k = 0; k < levels_.size() && first < last; ++k) {
        const std::vector<Range>& blocks = levels_[k].blocks;
        const std::uint64_t mask = blocks.size() - 1;
        if (k + 1 < levels_.size()) {
            while (first < last && (first & (kFanout - 1)) != 0) merge(r, blocks[first++ & mask]);
            while (last > first && (last & (kFanout - 1)) != 0) merge(r, blocks[--last & mask]);
            first >>= 3;
            last >>= 3;
        } else {
            while (first < last) merge(r, blocks[first++ & mask]);
        }
    }
    return r;
}

std::size_t LivePointStore::lowerBound(double key, std::size_t from) const {
    const std::size_t n = size();
    if (from >= n || keyAt(from) >= key) return std::min(from, n);
    // Points mostly come evenly spaced: a guess from the mean spacing lands on or next
    // to the answer, touching a cache line or two where a binary search over a large
    // store would touch twenty.
    std::size_t lo = from + 1;  // keyAt(lo - 1) < key
    const double spacing = (keyAt(n - 1) - keyAt(0)) / static_cast<double>(n - 1);
    if (spacing > 0.0) {
        const double ahead = (key - keyAt(from)) / spacing;
        if (ahead < static_cast<double>(n - from)) {
            const std::size_t guess = from + static_cast<std::size_t>(ahead);
            if (guess >= lo && guess < n && keyAt(guess) < key) lo = guess + 1;
        }
    }
    // Galloping from there.
    std::size_t step = 1;
    std::size_t hi = lo;
    while (hi < n && keyAt(hi) < key) {
        lo = hi + 1;
        hi += step;
        step *= 2;
    }
    return firstNotBefore(*this, lo, std::min(hi, n), [key](double k) { return k < key; });
}

void LivePointStore::prefetch(std::size_t index) const {
    if (index >= size()) return;
    const std::uint64_t seq = head_ + index;
    __builtin_prefetch(&keys_[slot(seq)]);
    __builtin_prefetch(&values_[slot(seq)]);
    __builtin_prefetch(&values_[slot(seq - (seq & (kBaseBlock - 1)))]);
    for (const Level& level : levels_) {
        __builtin_prefetch(&level.blocks[static_cast<std::size_t>(seq >> level.shift) & (level.blocks.size() - 1)]);
    }
}

std::size_t LivePointStore::nextBreak(std::size_t from) const {
    const auto it = std::lower_bound(breaks_.begin(), breaks_.end(), head_ + from);
    return it == breaks_.end() ? size() : static_cast<std::size_t>(*it - head_);
}

}  // namespace zuva::display

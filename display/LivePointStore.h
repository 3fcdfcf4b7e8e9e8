#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace zuva::display {

// The points of one live series, oldest first, in order of their keys (time of day as
// a fraction of the day). Points come in at the back and leave at the front, as the
// window rule of the live charts wants, so they are held in a ring buffer; a pyramid of
// minimum/maximum per block of the ring (16 points per level-0 block, 8 blocks of a
// level per block of the next) answers the smallest and largest value of any index
// range in a time that does not grow with the number of points. A redraw can thus
// build a min/max envelope per pixel column at the same cost for a minute at 1 Hz and
// an hour at 256 Hz.
//
// An empty point (value NaN) breaks the drawn line; min/max pass over it.
class LivePointStore {
public:
    static constexpr std::size_t kBaseBlock = 16;
    static constexpr std::size_t kFanout = 8;

    struct Range {
        double min;
        double max;
        // False when the range held no value that is a number.
        bool any() const { return min <= max; }
    };

    // Adds a point. A key below the last one is placed after the points with keys not
    // above it (a clock set back); that is rare and costs a rebuild of the store.
    void append(double key, double value);
    // Removes the oldest point (index 0); nothing when empty.
    void removeFirst();
    void clear();

    std::size_t size() const { return static_cast<std::size_t>(tail_ - head_); }
    bool empty() const { return tail_ == head_; }
    double keyAt(std::size_t index) const { return keys_[slot(head_ + index)]; }
    double valueAt(std::size_t index) const { return values_[slot(head_ + index)]; }

    // The index of the first point whose key is not below `key` (size() when none).
    std::size_t lowerBound(double key) const;
    // The same, knowing that no point before index `from` qualifies.
    std::size_t lowerBound(double key, std::size_t from) const;
    // The smallest and largest value of the points begin..end-1 (empty points left out).
    Range minMax(std::size_t begin, std::size_t end) const;
    // The index of the first empty point at or after `from` (size() when none).
    std::size_t nextBreak(std::size_t from) const;

    std::size_t capacity() const { return keys_.size(); }

    // Every point keeps its sequence number while it is in the store; the numbers
    // start afresh (and the generation changes) when the store is cleared or rebuilt.
    std::uint64_t sequenceOf(std::size_t index) const { return head_ + index; }
    std::uint64_t generation() const { return generation_; }

    // Asks the processor to fetch what a lookup or minMax around `index` will read, so
    // that a pass over many columns does not wait on memory at each column.
    void prefetch(std::size_t index) const;

private:
    struct Level {
        unsigned shift = 0;  // log2 of the points per block
        std::vector<Range> blocks;
    };

    std::size_t slot(std::uint64_t seq) const { return static_cast<std::size_t>(seq) & (keys_.size() - 1); }
    void push(double key, double value);
    void reserveRing(std::size_t capacity);
    void rebuildWith(std::size_t insertAt, double key, double value);

    // Points carry ever-growing sequence numbers; a point's place in the ring and in
    // each level follows from its number, so nothing moves when the front goes.
    std::vector<double> keys_;
    std::vector<double> values_;
    std::vector<Level> levels_;
    std::uint64_t head_ = 0;
    std::uint64_t tail_ = 0;
    std::deque<std::uint64_t> breaks_;  // sequence numbers of the empty points
    std::uint64_t generation_ = 0;
};

}  // namespace zuva::display

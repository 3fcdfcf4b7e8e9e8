#include "serial/InputQueue.h"

#include <algorithm>
#include <cstring>

namespace zuva::serial {

InputQueue::InputQueue(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

std::size_t InputQueue::push(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    const std::size_t room = ring_.size() - size_;
    const std::size_t n = std::min(room, bytes.size());
    std::size_t tail = (head_ + size_) % ring_.size();
    std::size_t done = 0;
    while (done < n) {
        const std::size_t run = std::min(n - done, ring_.size() - tail);
        std::memcpy(ring_.data() + tail, bytes.data() + done, run);
        done += run;
        tail = (tail + run) % ring_.size();
    }
    size_ += n;
    stored_ += n;
    const std::size_t dropped = bytes.size() - n;
    if (dropped > 0) {
        droppedTotal_ += dropped;
        if (!losses_.empty() && losses_.back().at == stored_) {
            losses_.back().bytes += dropped;  // the same loss goes on
        } else {
            losses_.push_back({stored_, dropped});
            ++overflows_;
        }
    }
    return n;
}

std::size_t InputQueue::size() const {
    std::lock_guard lock(mutex_);
    return size_;
}

std::size_t InputQueue::take(std::span<std::uint8_t> out) {
    std::lock_guard lock(mutex_);
    std::size_t n = std::min(out.size(), size_);
    if (!losses_.empty()) n = std::min<std::size_t>(n, static_cast<std::size_t>(losses_.front().at - taken_));
    std::size_t done = 0;
    while (done < n) {
        const std::size_t run = std::min(n - done, ring_.size() - head_);
        std::memcpy(out.data() + done, ring_.data() + head_, run);
        done += run;
        head_ = (head_ + run) % ring_.size();
    }
    size_ -= n;
    taken_ += n;
    return n;
}

std::uint64_t InputQueue::takeDropped() {
    std::lock_guard lock(mutex_);
    if (losses_.empty() || losses_.front().at != taken_) return 0;
    const std::uint64_t bytes = losses_.front().bytes;
    losses_.pop_front();
    return bytes;
}

void InputQueue::reset(std::size_t capacity) {
    std::lock_guard lock(mutex_);
    ring_.assign(std::max<std::size_t>(capacity, 1), 0);
    head_ = 0;
    size_ = 0;
    stored_ = 0;
    taken_ = 0;
    losses_.clear();
}

std::size_t InputQueue::capacity() const {
    std::lock_guard lock(mutex_);
    return ring_.size();
}

std::uint64_t InputQueue::droppedTotal() const {
    std::lock_guard lock(mutex_);
    return droppedTotal_;
}

std::uint64_t InputQueue::overflows() const {
    std::lock_guard lock(mutex_);
    return overflows_;
}

}  // namespace zuva::serial

#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

namespace zuva::serial {

// The port's input queue: the event thread's reader stores what the device
// delivers, the main thread takes it. It holds at most `capacity` bytes; what
// arrives while it is full is dropped and counted, and the place of each such loss
// is kept, so that a read never joins the bytes before a loss to those after it.
// Thread-safe: one thread stores, one takes.
class InputQueue {
public:
    explicit InputQueue(std::size_t capacity = 51200);

    // Storing side. Returns how many of the bytes were stored; the rest are dropped.
    std::size_t push(std::span<const std::uint8_t> bytes);

    // Taking side: bytes waiting (also those behind a loss).
    std::size_t size() const;
    // Copies up to out.size() waiting bytes, but stops at the place of a loss.
    std::size_t take(std::span<std::uint8_t> out);
    // When the reading has reached the place of a loss: the bytes dropped there
    // (and the loss is passed); otherwise 0.
    std::uint64_t takeDropped();

    // Drops everything and forgets the losses; with a new capacity (at least 1).
    void reset(std::size_t capacity);
    std::size_t capacity() const;
    // Bytes dropped since construction, and how many losses they came in.
    std::uint64_t droppedTotal() const;
    std::uint64_t overflows() const;

private:
    struct Loss {
        std::uint64_t at;     // bytes stored before it, counted from the start
        std::uint64_t bytes;  // bytes dropped there
    };

    mutable std::mutex mutex_;
    std::vector<std::uint8_t> ring_;
    std::size_t head_ = 0;  // index of the oldest byte
    std::size_t size_ = 0;
    std::uint64_t stored_ = 0;  // bytes stored since the start
    std::uint64_t taken_ = 0;   // bytes taken since the start
    std::deque<Loss> losses_;
    std::uint64_t droppedTotal_ = 0;
    std::uint64_t overflows_ = 0;
};

}  // namespace zuva::serial

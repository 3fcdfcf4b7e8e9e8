#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "acquisition/FrameEncoder.h"

namespace zuva::acquisition {

// What storing bytes into a frame buffer came to.
enum class FrameOutcome {
    NeedMore,     // every byte was stored, the frame is not complete yet
    Frame,        // a frame is complete, its sync byte and checksum are right
    BadSync,      // a frame's worth of bytes is complete but does not begin with the sync byte
    BadChecksum,  // a frame is complete but its checksum byte is wrong
};

struct AssemblyStep {
    FrameOutcome outcome = FrameOutcome::NeedMore;
    std::size_t consumed = 0;  // bytes taken from the input, up to and including the frame's last
};

// Assembles fixed-length frames (19-byte DataFrames or 37-byte PositionFrames) from
// the batches the port delivers. A frame may begin in one batch and end in a later
// one. While waiting for sync, a batch is taken only when its first byte is the
// sync byte; the sync byte is never searched for inside a batch.
// A pure state machine: no logging and no side effects outside itself.
class FrameAssembler {
public:
    FrameAssembler(std::size_t frameSize, std::uint8_t syncByte);

    // Decides whether a batch is to be assembled. While waiting for sync this ends
    // the wait when the batch begins with the sync byte and refuses the batch otherwise.
    bool acceptBatch(std::span<const std::uint8_t> batch);

    // Stores bytes from `bytes` until a frame is complete or the bytes run out. After
    // a complete frame (any outcome but NeedMore) the next byte begins a new frame,
    // and frame() holds the completed bytes until the next one completes.
    AssemblyStep feed(std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> frame() const { return {completed_.data(), frameSize_}; }

    void waitForSync() { awaitingSync_ = true; }
    bool awaitingSync() const { return awaitingSync_; }
    // Drops a partial frame: the next byte stored begins a new frame.
    void restart() { fill_ = 0; }
    // Bytes of the partial frame stored so far (0 .. frame size - 1).
    std::size_t stored() const { return fill_; }
    std::size_t frameSize() const { return frameSize_; }

private:
    std::size_t frameSize_;
    std::uint8_t syncByte_;
    std::array<std::uint8_t, kPositionFrameSize> buffer_{};
    std::array<std::uint8_t, kPositionFrameSize> completed_{};
    std::size_t fill_ = 0;
    bool awaitingSync_ = false;
};

}  // namespace zuva::acquisition

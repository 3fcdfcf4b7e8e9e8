#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "acquisition/FrameEncoder.h"
#include "acquisition/FrameStamp.h"

namespace zuva::acquisition {

// Cuts the byte stream of a run into DataFrames and finds its way back after a bad
// one without losing a good frame.
//
// In step, every 19 bytes are one frame: a frame whose sync byte and checksum are
// right is handed on (when its time does not fit the last good frame's, the next
// frame is hunted for from its second byte); one that is not is reported once
// (BadSync or BadChecksum) and
// the scanner starts hunting at the byte after that frame's first byte, because a
// stray or lost byte shifts the next real frame into the bytes just taken. While
// hunting it looks for a 0xC1 anywhere in the bytes that follow, across batches,
// and takes the first position where a whole frame checks out and its time fits:
// within a few seconds of the last good frame, or, with no good frame to compare
// (after Start or a gap of the port) or after a longer silence, confirmed by the
// frame right behind it. Bytes passed over while hunting are only counted.
//
// A pure state machine: no logging and no side effects outside itself.
class DataFrameScanner {
public:
    enum class Outcome { Frame, BadSync, BadChecksum };

    // Takes all of `bytes`; calls onFrame(Outcome, std::span<const std::uint8_t, 19>)
    // for each frame completed or rejected, in stream order.
    template <typename OnFrame>
    void feed(std::span<const std::uint8_t> bytes, OnFrame&& onFrame);

    // Drops the partial frame and every byte held; hunts for the next frame with no
    // time to compare with (Start, the port back after a gap).
    void restart();
    // The bytes before and after this point do not join (bytes were lost in
    // between): what is held is dropped and the scanner hunts, still comparing times
    // with the last good frame.
    void breakInStream();

    bool hunting() const { return hunting_; }
    // Bytes held for the next frame (0 .. 2 x 19 - 1).
    std::size_t stored() const { return len_; }
    // Bytes passed over while hunting, since construction.
    std::uint64_t skippedBytes() const { return skipped_; }

    // Whether 19 bytes form a frame with the right sync byte and checksum.
    static bool checksOut(const std::uint8_t* frame);

    // Two good frames this far apart in time (seconds) still count as neighbours.
    static constexpr std::int64_t kPlausibleSeconds = 2;

private:
    static constexpr std::size_t kHold = 2 * kDataFrameSize;

    // One step over the bytes held; false when more bytes are needed first.
    template <typename OnFrame>
    bool step(OnFrame& onFrame);
    void drop(std::size_t n);
    // Hands on the good frame at the front of what is held and steps on from it.
    template <typename OnFrame>
    void takeFront(OnFrame& onFrame);
    void noteGood(const std::uint8_t* frame) {
        std::copy_n(frame + 2, 6, lastStamp_.begin());
        haveLast_ = true;
    }
    // The time of six BCD stamp bytes, if they are a valid date and time.
    static std::optional<std::int64_t> secondsOf(const std::uint8_t* stamp);
    bool fitsLastGood(const std::uint8_t* frame) const;
    // In step: a good frame of the same second as the last one, or one whose time fits.
    bool inStep(const std::uint8_t* frame) const {
        return std::equal(frame + 2, frame + 8, lastStamp_.begin()) || fitsLastGood(frame);
    }
    static bool confirmedBy(const std::uint8_t* frame, const std::uint8_t* next);

    std::array<std::uint8_t, kHold> held_{};
    std::size_t len_ = 0;
    bool hunting_ = true;
    std::array<std::uint8_t, 6> lastStamp_{};  // stamp bytes of the last good frame, read only when hunting
    bool haveLast_ = false;
    std::uint64_t skipped_ = 0;
};

template <typename OnFrame>
void DataFrameScanner::feed(std::span<const std::uint8_t> bytes, OnFrame&& onFrame) {
    for (;;) {
        const std::size_t want = hunting_ ? kHold : kDataFrameSize;
        if (!hunting_ && len_ == 0) {
            // In step with whole frames in the input: checked in place, nothing copied.
            while (bytes.size() >= kDataFrameSize && checksOut(bytes.data()) && inStep(bytes.data())) {
                noteGood(bytes.data());
                onFrame(Outcome::Frame, std::span<const std::uint8_t, kDataFrameSize>(bytes.data(), kDataFrameSize));
                bytes = bytes.subspan(kDataFrameSize);
            }
        }
        if (len_ < want && !bytes.empty()) {
            const std::size_t take = std::min(want - len_, bytes.size());
            std::copy_n(bytes.data(), take, held_.begin() + static_cast<std::ptrdiff_t>(len_));
            len_ += take;
            bytes = bytes.subspan(take);
        }
        if (!step(onFrame) && bytes.empty()) return;
    }
}

template <typename OnFrame>
bool DataFrameScanner::step(OnFrame& onFrame) {
    if (!hunting_) {
        if (len_ < kDataFrameSize) return false;
        const std::span<const std::uint8_t, kDataFrameSize> frame(held_.data(), kDataFrameSize);
        if (checksOut(held_.data())) {
            if (inStep(held_.data())) {
                takeFront(onFrame);
                return true;
            }
            // A frame that checks out but whose time does not fit: handed on as it
            // is (a clock set, or a frame the decoder refuses), then the next frame
            // is hunted for from its second byte, in case it was bytes across two
            // frames behind stray bytes that happened to check out.
            noteGood(held_.data());
            onFrame(Outcome::Frame, frame);
            hunting_ = true;
            drop(1);
            return true;
        }
        onFrame(held_[0] == kDataFrameSync ? Outcome::BadChecksum : Outcome::BadSync, frame);
        hunting_ = true;
        drop(1);
        return true;
    }
    // Hunting: the next sync byte.
    std::size_t at = 0;
    while (at < len_ && held_[at] != kDataFrameSync) ++at;
    drop(at);
    skipped_ += at;
    if (len_ < kDataFrameSize) return false;
    if (!checksOut(held_.data())) {
        drop(1);
        ++skipped_;
        return true;
    }
    if (fitsLastGood(held_.data())) {
        takeFront(onFrame);
        return true;
    }
    if (len_ < kHold) return false;
    if (confirmedBy(held_.data(), held_.data() + kDataFrameSize)) {
        takeFront(onFrame);
        return true;
    }
    drop(1);
    ++skipped_;
    return true;
}

template <typename OnFrame>
void DataFrameScanner::takeFront(OnFrame& onFrame) {
    noteGood(held_.data());
    hunting_ = false;
    onFrame(Outcome::Frame, std::span<const std::uint8_t, kDataFrameSize>(held_.data(), kDataFrameSize));
    drop(kDataFrameSize);
}

}  // namespace zuva::acquisition

#include "acquisition/FrameAssembler.h"

#include <algorithm>
#include <stdexcept>

namespace zuva::acquisition {

FrameAssembler::FrameAssembler(std::size_t frameSize, std::uint8_t syncByte)
    : frameSize_(frameSize), syncByte_(syncByte) {
    if (frameSize < 2 || frameSize > kPositionFrameSize) throw std::invalid_argument("frame size out of range");
}

bool FrameAssembler::acceptBatch(std::span<const std::uint8_t> batch) {
    if (!awaitingSync_) return true;
    if (!batch.empty() && batch.front() == syncByte_) awaitingSync_ = false;
    return !awaitingSync_;
}

AssemblyStep FrameAssembler::feed(std::span<const std::uint8_t> bytes) {
    const std::size_t take = std::min(bytes.size(), frameSize_ - fill_);
    std::copy_n(bytes.begin(), take, buffer_.begin() + static_cast<std::ptrdiff_t>(fill_));
    fill_ += take;
    if (fill_ < frameSize_) return {FrameOutcome::NeedMore, take};

    fill_ = 0;
    std::copy_n(buffer_.begin(), frameSize_, completed_.begin());
    const auto done = frame();
    if (done.front() != syncByte_) return {FrameOutcome::BadSync, take};
    if (done.back() != frameChecksum(done)) return {FrameOutcome::BadChecksum, take};
    return {FrameOutcome::Frame, take};
}

}  // namespace zuva::acquisition

#include "tools/sim/Instrument.h"

#include "tools/sim/FieldModel.h"

namespace zuva::sim {

namespace {
constexpr std::uint8_t kTransmit = 0x80;
constexpr std::uint8_t kPositionKind = 0x10;
constexpr std::uint8_t kCalibrationOff = 0x04;
constexpr std::uint8_t kGainBits = 0x03;
constexpr std::uint8_t kGpsBit = 0x08;
}  // namespace

Instrument::Instrument(const SimOptions& options, acquisition::FrameDateTime start)
    : options_(options), clock_(start) {}

bool Instrument::streaming() const {
    return !options_.silent && (control_ & kTransmit) != 0 && (control_ & kPositionKind) == 0;
}

bool Instrument::gpsAvailable(std::int64_t slice) const {
    bool available = options_.gpsAvailable;
    if (options_.gpsToggleEvery > 0 && (slice / 256 / options_.gpsToggleEvery) % 2 == 1) available = !available;
    return available;
}

std::uint8_t Instrument::statusByte(std::int64_t slice) const {
    return static_cast<std::uint8_t>((control_ & kGainBits) | (gpsAvailable(slice) ? kGpsBit : 0));
}

void Instrument::onControlByte(std::uint8_t byte, std::int64_t slice, std::vector<FrameBytes>& out) {
    control_ = byte;
    if (options_.silent) return;
    if ((byte & kTransmit) && (byte & kPositionKind)) {
        const auto f = acquisition::encodePositionFrame(clock_.at(slice / 256), statusByte(slice), options_.latitude,
                                                        options_.longitude, options_.altitude);
        out.emplace_back(f.begin(), f.end());
    }
}

void Instrument::onSlice(std::int64_t slice, std::vector<FrameBytes>& out) {
    if (!streaming()) return;
    const std::int64_t second = slice / 256;
    const auto index = static_cast<int>(slice % 256);
    if (options_.loseEndEvery > 0 && (second + 1) % options_.loseEndEvery == 0 && index >= 256 - options_.loseEndCount) {
        return;  // the end of this second is lost
    }
    const int gain = control_ & kGainBits;
    const bool calibration = (control_ & kCalibrationOff) == 0;
    auto f = acquisition::encodeDataFrame(clock_.at(second), statusByte(slice), static_cast<std::uint8_t>(index),
                                          FieldModel::count(slice, 0, gain, calibration),
                                          FieldModel::count(slice, 1, gain, calibration),
                                          FieldModel::count(slice, 2, gain, calibration));
    ++dataFrames_;
    if (options_.dropFrameEvery > 0 && dataFrames_ % static_cast<std::uint64_t>(options_.dropFrameEvery) == 0) {
        return;  // left out inside its second
    }
    if (options_.junkEvery > 0 && dataFrames_ % static_cast<std::uint64_t>(options_.junkEvery) == 0) {
        // Stray bytes before the frame, one to three of them; a sync byte among them
        // leads nowhere, since the bytes behind it are no date.
        static constexpr std::uint8_t kStray[] = {0xC1, 0xFF, 0x55};
        const std::size_t count = 1 + (dataFrames_ / static_cast<std::uint64_t>(options_.junkEvery)) % 3;
        out.emplace_back(kStray, kStray + count);
    }
    if (options_.badChecksumEvery > 0 && dataFrames_ % static_cast<std::uint64_t>(options_.badChecksumEvery) == 0) {
        f[acquisition::kDataFrameSize - 1] = static_cast<std::uint8_t>(f[acquisition::kDataFrameSize - 1] ^ 0xFF);
    }
    out.emplace_back(f.begin(), f.end());
}

}  // namespace zuva::sim

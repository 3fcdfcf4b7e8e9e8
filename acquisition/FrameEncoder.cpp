#include "acquisition/FrameEncoder.h"

#include <algorithm>

namespace zuva::acquisition {

std::uint8_t toBcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

std::uint8_t frameChecksum(std::span<const std::uint8_t> frame) {
    unsigned sum = 0;
    for (std::size_t i = 1; i + 1 < frame.size(); ++i) sum += frame[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

void sealFrame(std::span<std::uint8_t> frame) {
    if (frame.size() >= 2) frame[frame.size() - 1] = frameChecksum(frame);
}

namespace {

void putDateTime(std::uint8_t* at, const FrameDateTime& when) {
    at[0] = toBcd(when.year % 100);
    at[1] = toBcd(when.month);
    at[2] = toBcd(when.day);
    at[3] = toBcd(when.hour);
    at[4] = toBcd(when.minute);
    at[5] = toBcd(when.second);
}

void putSample(std::uint8_t* at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    at[0] = static_cast<std::uint8_t>(v & 0xFF);
    at[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    at[2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
}

void putText(std::uint8_t* at, std::size_t width, std::string_view text) {
    std::fill(at, at + width, static_cast<std::uint8_t>(' '));
    std::copy_n(text.begin(), std::min(width, text.size()), at);
}

}  // namespace

DataFrame encodeDataFrame(const FrameDateTime& when, std::uint8_t statusByte, std::uint8_t sampleIndex,
                          std::int32_t bx, std::int32_t by, std::int32_t bz) {
    DataFrame f{};
    f[0] = kDataFrameSync;
    f[1] = statusByte;
    putDateTime(&f[2], when);
    f[8] = sampleIndex;
    putSample(&f[9], bx);
    putSample(&f[12], by);
    putSample(&f[15], bz);
    sealFrame(f);
    return f;
}

PositionFrame encodePositionFrame(const FrameDateTime& when, std::uint8_t statusByte, std::string_view latitude,
                                  std::string_view longitude, std::string_view altitude) {
    PositionFrame f{};
    f[0] = kPositionFrameSync;
    f[1] = statusByte;
    putDateTime(&f[2], when);
    putText(&f[8], 10, latitude);
    putText(&f[18], 11, longitude);
    putText(&f[29], 7, altitude);
    sealFrame(f);
    return f;
}

}  // namespace zuva::acquisition

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zuva::acquisition {

inline constexpr std::size_t kDataFrameSize = 19;
inline constexpr std::size_t kPositionFrameSize = 37;
inline constexpr std::uint8_t kDataFrameSync = 0xC1;
inline constexpr std::uint8_t kPositionFrameSync = 0xC2;

using DataFrame = std::array<std::uint8_t, kDataFrameSize>;
using PositionFrame = std::array<std::uint8_t, kPositionFrameSize>;

// The instrument clock's date and time as the unit sends it (year 2000..2099).
struct FrameDateTime {
    int year = 2009;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Two decimal digits as one BCD byte (59 -> 0x59). value must be 0..99.
std::uint8_t toBcd(int value);

// Sum of the bytes between the sync byte and the checksum byte, modulo 256.
std::uint8_t frameChecksum(std::span<const std::uint8_t> frame);

// Recomputes the last byte of a frame from the bytes before it (after a test has
// edited a field on purpose).
void sealFrame(std::span<std::uint8_t> frame);

// A DataFrame: sync, status, BCD date and time, sample index, Bx/By/Bz as 24-bit
// two's complement (low byte first), checksum. Counts outside 24 bits are cut to 24.
DataFrame encodeDataFrame(const FrameDateTime& when, std::uint8_t statusByte, std::uint8_t sampleIndex,
                          std::int32_t bx, std::int32_t by, std::int32_t bz);

// A PositionFrame: sync, status, BCD date and time, latitude (10 characters),
// longitude (11) and altitude (7), each padded with blanks or cut to its width.
PositionFrame encodePositionFrame(const FrameDateTime& when, std::uint8_t statusByte, std::string_view latitude,
                                  std::string_view longitude, std::string_view altitude);

}  // namespace zuva::acquisition

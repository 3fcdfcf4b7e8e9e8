#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "acquisition/FrameDate.h"
#include "acquisition/TimeOfDay.h"

namespace zuva::acquisition {

// The date and time a frame carries in its six BCD bytes (year, month, day, hour,
// minute, second).
struct FrameStamp {
    FrameDate date;
    TimeOfDay time;

    bool operator==(const FrameStamp&) const = default;
};

// The value of one BCD byte (0x59 -> 59), or nothing when a nibble is above 9.
std::optional<int> bcdValue(std::uint8_t byte);

// Reads the six BCD bytes. Nothing when a byte is no BCD number or the date or time
// does not exist (month 1..12, day within the month, 00:00:00..23:59:59).
std::optional<FrameStamp> readFrameStamp(std::span<const std::uint8_t, 6> bytes);

// A BCD byte as its two hexadecimal digits (0x59 -> "59", 0x5A -> "5A"); used where
// the digits are only shown, never computed with.
std::string bcdDigits(std::uint8_t byte);

// Seconds since 2000-01-01 00:00:00 of a stamp, for telling how far apart two
// frames lie (across midnight, month and year ends).
std::int64_t stampSeconds(const FrameStamp& stamp);

}  // namespace zuva::acquisition

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "recording/DataFileSink.h"

namespace zuva::recording {

inline constexpr std::size_t kMaxTriplesPerRecord = 256;
inline constexpr std::size_t kMaxRecordSize = 4 + 12 * kMaxTriplesPerRecord;

// The bytes of one one-second record: status byte, hour, minute, second, then
// tripleCount triples Bx, By, Bz as little-endian signed 32-bit integers.
class SecondRecordEncoder {
public:
    static constexpr std::size_t recordSize(std::size_t tripleCount) { return 4 + 12 * tripleCount; }

    // Writes the record into out (at least recordSize(record.tripleCount) bytes) and
    // returns the bytes written. Throws std::invalid_argument when tripleCount is
    // not 1..256.
    static std::size_t encode(const SecondRecord& record, std::span<std::uint8_t> out);
};

}  // namespace zuva::recording

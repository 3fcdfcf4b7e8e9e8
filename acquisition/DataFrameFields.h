#pragma once

#include <cstdint>
#include <optional>

#include "acquisition/FrameEncoder.h"
#include "acquisition/FrameStamp.h"

namespace zuva::acquisition {

// The fields of one DataFrame as numbers.
struct DataFrameFields {
    std::uint8_t statusByte = 0;
    FrameStamp stamp;
    std::uint8_t sampleIndex = 0;
    std::int32_t bx = 0;
    std::int32_t by = 0;
    std::int32_t bz = 0;

    std::uint8_t gainCode() const { return statusByte & 0x03; }
    bool gpsAvailable() const { return (statusByte & 0x08) != 0; }
};

// A 24-bit two's complement sample, least significant byte first, as a 32-bit value.
std::int32_t sample24(std::uint8_t low, std::uint8_t middle, std::uint8_t high);

// The fields of a DataFrame whose sync byte and checksum were checked already.
// Nothing when its date or time is no valid BCD date or time of day.
std::optional<DataFrameFields> readDataFrame(const DataFrame& frame);

}  // namespace zuva::acquisition

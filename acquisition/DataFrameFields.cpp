#include "acquisition/DataFrameFields.h"

namespace zuva::acquisition {

std::int32_t sample24(std::uint8_t low, std::uint8_t middle, std::uint8_t high) {
    const std::uint32_t raw = static_cast<std::uint32_t>(low) | static_cast<std::uint32_t>(middle) << 8 |
                              static_cast<std::uint32_t>(high) << 16;
    // Bit 23 is the sign: extend it over the upper byte.
    const std::uint32_t extended = (raw & 0x800000u) != 0 ? raw | 0xFF000000u : raw;
    return static_cast<std::int32_t>(extended);
}

std::optional<DataFrameFields> readDataFrame(const DataFrame& frame) {
    const auto stamp = readFrameStamp(std::span<const std::uint8_t, 6>(frame.data() + 2, 6));
    if (!stamp) return std::nullopt;
    DataFrameFields f;
    f.statusByte = frame[1];
    f.stamp = *stamp;
    f.sampleIndex = frame[8];
    f.bx = sample24(frame[9], frame[10], frame[11]);
    f.by = sample24(frame[12], frame[13], frame[14]);
    f.bz = sample24(frame[15], frame[16], frame[17]);
    return f;
}

}  // namespace zuva::acquisition

#include "recording/SecondRecordEncoder.h"

#include <stdexcept>
#include <string>

namespace zuva::recording {

namespace {

std::uint8_t* putLe32(std::uint8_t* at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    at[0] = static_cast<std::uint8_t>(u);
    at[1] = static_cast<std::uint8_t>(u >> 8);
    at[2] = static_cast<std::uint8_t>(u >> 16);
    at[3] = static_cast<std::uint8_t>(u >> 24);
    return at + 4;
}

}  // namespace

std::size_t SecondRecordEncoder::encode(const SecondRecord& record, std::span<std::uint8_t> out) {
    const std::size_t n = record.tripleCount;
    if (n < 1 || n > kMaxTriplesPerRecord) {
        throw std::invalid_argument("Second record with " + std::to_string(n) + " triples (1 to 256 allowed)");
    }
    const std::size_t size = recordSize(n);
    if (out.size() < size) throw std::invalid_argument("Second record buffer too small");
    std::uint8_t* p = out.data();
    *p++ = record.statusByte;
    *p++ = record.hour;
    *p++ = record.minute;
    *p++ = record.second;
    for (std::size_t j = 0; j < n; ++j) {
        p = putLe32(p, record.bx[j]);
        p = putLe32(p, record.by[j]);
        p = putLe32(p, record.bz[j]);
    }
    return size;
}

}  // namespace zuva::recording

#include "settings/SamplingRateSetting.h"

#include <cstdint>

#include "settings/DecimalInteger.h"

namespace zuva::settings {

int SamplingRateSetting::read(std::string_view stored) {
    const auto value = DecimalInteger::parse(stored);
    if (!value) return kDefaultIndex;
    const auto lowByte = static_cast<std::uint8_t>(static_cast<std::uint32_t>(*value) & 0xFFu);
    return lowByte < kRateCount ? lowByte : kDefaultIndex;
}

std::string SamplingRateSetting::write(int index) { return std::to_string(index); }

}  // namespace zuva::settings

#pragma once

#include <string>
#include <string_view>

namespace zuva::settings {

// Key "SamplingRate": the index 0..8 of the sampling rate list (1, 2, 4, ... 256 Hz).
class SamplingRateSetting {
public:
    static constexpr std::string_view kKey = "SamplingRate";
    static constexpr std::string_view kDefault = "6";
    static constexpr int kDefaultIndex = 6;  // 64 Hz
    static constexpr int kRateCount = 9;

    // A decimal integer taken as its low eight bits (258 selects 2); text that is not
    // an integer, or a value above 8 (9, -1 = 255), selects index 6.
    static int read(std::string_view stored);

    // The index in decimal.
    static std::string write(int index);
};

}  // namespace zuva::settings

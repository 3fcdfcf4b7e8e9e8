#include "acquisition/FrameStamp.h"

namespace zuva::acquisition {

std::optional<int> bcdValue(std::uint8_t byte) {
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    if (high > 9 || low > 9) return std::nullopt;
    return high * 10 + low;
}

std::optional<FrameStamp> readFrameStamp(std::span<const std::uint8_t, 6> bytes) {
    int v[6];
    for (std::size_t i = 0; i < 6; ++i) {
        const auto value = bcdValue(bytes[i]);
        if (!value) return std::nullopt;
        v[i] = *value;
    }
    FrameStamp s;
    s.date = {2000 + v[0], v[1], v[2]};
    s.time = {v[3], v[4], v[5]};
    if (s.date.month < 1 || s.date.month > 12) return std::nullopt;
    if (s.date.day < 1 || s.date.day > daysInMonth(s.date.year, s.date.month)) return std::nullopt;
    if (s.time.hour > 23 || s.time.minute > 59 || s.time.second > 59) return std::nullopt;
    return s;
}

std::string bcdDigits(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::int64_t stampSeconds(const FrameStamp& stamp) {
    std::int64_t days = 0;
    for (int y = 2000; y < stamp.date.year; ++y) days += (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 366 : 365;
    for (int m = 1; m < stamp.date.month; ++m) days += daysInMonth(stamp.date.year, m);
    days += stamp.date.day - 1;
    return days * 86400 + stamp.time.hour * 3600 + stamp.time.minute * 60 + stamp.time.second;
}

}  // namespace zuva::acquisition

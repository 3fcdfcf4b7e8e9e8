#include "acquisition/FrameDump.h"

namespace zuva::acquisition {

std::string frameDump(std::span<const std::uint8_t> frame) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(frame.size() * 3);
    for (const std::uint8_t b : frame) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
        text.push_back(' ');
    }
    return text;
}

}  // namespace zuva::acquisition

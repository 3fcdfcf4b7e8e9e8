#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zuva::acquisition {

// A frame as the error lines of the event log show it: every byte as two upper-case
// hexadecimal digits followed by one blank, so the text ends with a blank.
std::string frameDump(std::span<const std::uint8_t> frame);

}  // namespace zuva::acquisition

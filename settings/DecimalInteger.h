#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zuva::settings {

// A decimal integer as the settings file holds it: optional leading blanks, an
// optional sign, one or more digits, nothing after them, within the range of a
// signed 32-bit integer.
class DecimalInteger {
public:
    static std::optional<std::int32_t> parse(std::string_view text);
};

}  // namespace zuva::settings

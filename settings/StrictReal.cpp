#include "settings/StrictReal.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace zuva::settings {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

}  // namespace

std::optional<double> StrictReal::parse(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t numberBegin = i;
    const std::size_t intEnd = skipDigits(text, i);
    std::size_t digits = intEnd - i;
    i = intEnd;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracEnd = skipDigits(text, i + 1);
        digits += fracEnd - (i + 1);
        i = fracEnd;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t expEnd = skipDigits(text, j);
        if (expEnd == j) return std::nullopt;
        i = expEnd;
    }
    if (i != text.size()) return std::nullopt;

    // from_chars takes no "+" and needs no locale; the syntax is already checked.
    const std::string_view number = text.substr(numberBegin);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                           std::chars_format::general);
    if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace zuva::settings

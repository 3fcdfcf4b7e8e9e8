#include "settings/GeneralNumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace zuva::settings {

std::string GeneralNumberFormat::format(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0.0) return "0";

    // d.dddddddddddddde[+-]x: 15 significant digits, correctly rounded, locale-free.
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 14);
    const std::string_view sci(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = sci.find('e');
    std::string digits;
    digits.push_back(sci[0]);
    digits.append(sci.substr(2, e - 2));
    const int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    const int n = static_cast<int>(digits.size());
    if (exponent >= -4 && exponent < 15) {
        if (exponent >= 0) {
            const int intDigits = exponent + 1;
            if (n <= intDigits) {
                out.append(digits).append(static_cast<std::size_t>(intDigits - n), '0');
            } else {
                out.append(digits, 0, static_cast<std::size_t>(intDigits));
                out.push_back(decimalSeparator);
                out.append(digits, static_cast<std::size_t>(intDigits));
            }
        } else {
            out.push_back('0');
            out.push_back(decimalSeparator);
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out.append(digits);
        }
        return out;
    }
    out.push_back(digits[0]);
    if (n > 1) {
        out.push_back(decimalSeparator);
        out.append(digits, 1);
    }
    out.push_back('E');
    if (exponent < 0) out.push_back('-');
    out.append(std::to_string(std::abs(exponent)));
    return out;
}

}  // namespace zuva::settings

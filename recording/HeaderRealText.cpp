#include "recording/HeaderRealText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace zuva::recording {

namespace {

std::string rightAligned(std::string_view text) {
    std::string out(kHeaderRealWidth - text.size(), ' ');
    out += text;
    return out;
}

}  // namespace

std::string formatHeaderReal(double value) {
    if (std::isnan(value)) return rightAligned("Nan");
    if (std::isinf(value)) return rightAligned(value > 0 ? "+Inf" : "-Inf");

    const bool negative = value < 0;  // -0.0 is written as zero, with a blank sign
    // to_chars gives the exactly rounded digits, independent of the C locale:
    // "d.ddddddddddddddde[+-]xx" with at least two exponent digits.
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view digits(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = digits.find('e');
    const std::string_view mantissa = digits.substr(0, e);  // "d.dddddddddddddd"
    const char expSign = digits[e + 1];
    int exponent = 0;
    std::from_chars(digits.data() + e + 2, digits.data() + digits.size(), exponent);

    std::string out;
    out.reserve(kHeaderRealWidth);
    out += negative ? '-' : ' ';
    out += mantissa;
    out += 'E';
    out += expSign == '-' ? '-' : '+';
    char exp4[4];
    for (int i = 3; i >= 0; --i) {
        exp4[i] = static_cast<char>('0' + exponent % 10);
        exponent /= 10;
    }
    out.append(exp4, 4);
    return out;
}

}  // namespace zuva::recording

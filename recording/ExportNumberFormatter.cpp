#include "recording/ExportNumberFormatter.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zuva::recording {

namespace {

constexpr std::uint64_t kPow10[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL,
                                    10000000000000000000ULL};

// Decimal digits of v without leading zeros.
char* writeUnsigned(std::uint64_t v, char* out) {
    char tmp[20];
    int n = 0;
    do {
        tmp[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0) *out++ = tmp[--n];
    return out;
}

// Exactly `width` digits of v, with leading zeros.
char* writePadded(std::uint64_t v, int width, char* out) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return out + width;
}

int digitCount(std::uint64_t v) {
    int d = 1;
    while (d < 20 && v >= kPow10[d]) ++d;
    return d;
}

}  // namespace

std::string ExportNumberFormatter::format(double value) const {
    char buf[kMaxLength];
    return std::string(buf, format(value, buf));
}

char* ExportNumberFormatter::format(double value, char* out) const {
    if (std::isnan(value)) {
        std::memcpy(out, "NAN", 3);
        return out + 3;
    }
    const bool negative = value < 0;
    const double a = std::fabs(value);
    if (std::isinf(a)) {
        if (negative) *out++ = '-';
        std::memcpy(out, "INF", 3);
        return out + 3;
    }
    if (a >= 1e10) return scientific(a, negative, out);

    // Decimals kept: 6, or fewer when the integer part has more than 4 digits, so
    // that no more than 10 significant digits remain.
    int decimals;
    if (a < 1e4) decimals = 6;
    else if (a < 1e5) decimals = 5;
    else if (a < 1e6) decimals = 4;
    else if (a < 1e7) decimals = 3;
    else if (a < 1e8) decimals = 2;
    else if (a < 1e9) decimals = 1;
    else decimals = 0;

    // s is a * 10^decimals rounded to double (below 1e10, so its fraction is kept
    // to 2^-19 or better). Rounding s to an integer gives the exact product's
    // rounding except when s lies exactly halfway: then fma yields the exact error
    // of the product and tells a true tie (rounded away from zero) from a product
    // just below the half.
    const double scale = static_cast<double>(kPow10[decimals]);
    const double s = a * scale;
    const double whole = std::floor(s);
    const double frac = s - whole;
    auto n = static_cast<std::uint64_t>(whole);
    if (frac > 0.5 || (frac == 0.5 && std::fma(a, scale, -s) >= 0.0)) ++n;

    if (negative && n != 0) *out++ = '-';
    const std::uint64_t unit = kPow10[decimals];
    out = writeUnsigned(n / unit, out);
    *out++ = separator_;
    out = writePadded(n % unit, decimals, out);
    for (int i = decimals; i < 6; ++i) *out++ = '0';
    return out;
}

char* ExportNumberFormatter::scientific(double magnitude, bool negative, char* out) const {
    std::uint64_t mantissa;  // 10 digits
    int exponent;
    if (magnitude < 9223372036854775808.0) {
        // The integer part holds 11 digits or more, so the fraction cannot change
        // the rounding at the 10th significant digit.
        const auto whole = static_cast<std::uint64_t>(magnitude);
        const int digits = digitCount(whole);
        exponent = digits - 1;
        mantissa = whole / kPow10[digits - 10];
        if ((whole / kPow10[digits - 11]) % 10 >= 5) ++mantissa;
    } else {
        // Exact decimal digits of very large values: 330 significant digits cover
        // every double up to 1.8e308 completely.
        char buf[400];
        const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 330);
        mantissa = static_cast<std::uint64_t>(buf[0] - '0');
        for (int i = 2; i <= 10; ++i) mantissa = mantissa * 10 + static_cast<std::uint64_t>(buf[i] - '0');
        if (buf[11] >= '5') ++mantissa;
        const char* e = static_cast<const char*>(std::memchr(buf, 'e', static_cast<std::size_t>(res.ptr - buf)));
        exponent = 0;
        std::from_chars(e + 2, res.ptr, exponent);
    }
    if (mantissa == kPow10[10]) {
        mantissa = kPow10[9];
        ++exponent;
    }
    if (negative) *out++ = '-';
    *out++ = static_cast<char>('0' + mantissa / kPow10[9]);
    *out++ = separator_;
    out = writePadded(mantissa % kPow10[9], 9, out);
    *out++ = 'E';
    *out++ = '+';
    if (exponent < 10) *out++ = '0';
    return writeUnsigned(static_cast<std::uint64_t>(exponent), out);
}

}  // namespace zuva::recording

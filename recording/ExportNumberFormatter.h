#pragma once

#include <cstddef>
#include <string>

namespace zuva::recording {

// The number form of the text export. A value is rounded to at most 10 significant
// digits and at most 6 decimals, whichever keeps fewer digits, half away from zero
// on the exact binary value, and written in fixed point with exactly 6 digits
// after the decimal separator: 12345.678901 -> "12345.678900", -234.5 ->
// "-234.500000". A value that rounds to zero is written without a sign.
//
// Values of 1e10 and more (more than 10 integer digits) are written in scientific
// form with 10 significant digits, rounded the same way: one digit, the separator,
// 9 digits, "E", the exponent sign and at least two exponent digits:
// 12345678901 -> "1.234567890E+10". NaN and infinities give "NAN", "INF", "-INF".
class ExportNumberFormatter {
public:
    explicit ExportNumberFormatter(char decimalSeparator = '.') : separator_(decimalSeparator) {}

    // Writes the text at out (room for kMaxLength characters) and returns its end.
    char* format(double value, char* out) const;
    std::string format(double value) const;

    static inline constexpr std::size_t kMaxLength = 24;

private:
    char* scientific(double magnitude, bool negative, char* out) const;

    char separator_;
};

}  // namespace zuva::recording

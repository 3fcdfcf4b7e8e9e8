#pragma once

#include <string>

namespace zuva::recording {

// The 23-character real form of the data file header: a sign position (blank for
// zero and positive values, "-" for negative), one digit, ".", 14 digits, "E", the
// exponent sign and four exponent digits. The mantissa is the value rounded exactly
// to 15 significant digits (round half to even on the exact binary value).
//   1     -> " 1.00000000000000E+0000"
//   0.01  -> " 1.00000000000000E-0002"
// Infinities and NaN, which no valid header holds, are written right-aligned in the
// same 23 positions as "+Inf", "-Inf" and "Nan".
std::string formatHeaderReal(double value);

inline constexpr std::size_t kHeaderRealWidth = 23;

}  // namespace zuva::recording

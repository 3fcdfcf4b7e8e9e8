#pragma once

#include <string>

namespace zuva::settings {

// A double as the shortest text of at most 15 significant digits, the general number
// format the settings file has always held (for example "2,393E-5" on a locale with a
// decimal comma):
// - rounded to 15 significant digits, trailing zeros and a bare separator dropped;
// - written in fixed notation when the value lies in [1E-4, 1E15), otherwise in
//   scientific notation: one digit, the fraction if any, "E", "-" for a negative
//   exponent and the exponent without leading zeros ("1E15", "2.393E-5");
// - zero as "0", a minus sign before negative values;
// - not-a-number and infinities as "NAN", "INF" and "-INF" (they read back as invalid).
// The decimal separator is passed in (the locale's); the digits never depend on the
// process's C locale.
class GeneralNumberFormat {
public:
    static std::string format(double value, char decimalSeparator);
};

}  // namespace zuva::settings

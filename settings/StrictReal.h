#pragma once

#include <optional>
#include <string_view>

namespace zuva::settings {

// The program's real-number syntax, with a full stop as decimal separator whatever
// the locale: optional leading blanks, an optional sign, digits, an optional
// fraction, an optional exponent ("E" or "e", an optional sign, digits). The whole
// text must be consumed; empty text, trailing blanks, a comma, "inf", "nan" and hex
// are invalid. At least one digit is needed before or after the full stop ("5.",
// ".5" and "5" are valid). A value out of the range of a double is invalid too.
class StrictReal {
public:
    static std::optional<double> parse(std::string_view text);
};

}  // namespace zuva::settings

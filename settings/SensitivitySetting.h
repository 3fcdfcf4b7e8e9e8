#pragma once

#include <string>
#include <string_view>

namespace zuva::settings {

// Key "sensitivity": Sensitivity in nT per bit.
class SensitivitySetting {
public:
    static constexpr std::string_view kKey = "sensitivity";
    static constexpr std::string_view kDefault = "2,393E-5";
    // What an invalid text is replaced by, in the field and as the value.
    static constexpr std::string_view kFallbackText = "1";
    static constexpr double kFallbackValue = 1.0;

    // The sensitivity field's text and the value taken from it.
    struct Taken {
        std::string fieldText;
        double value = kFallbackValue;
    };

    // Reading the stored text: its first comma becomes a full stop (a file written on
    // a locale with a decimal comma), in the field text as well; then as takeOver().
    static Taken read(std::string_view stored);

    // Taking the field's text over as on "Apply" and at Start: a strict real with a
    // full stop (no comma conversion). The field keeps its text when it is valid;
    // otherwise it becomes "1" and the value 1.0.
    static Taken takeOver(std::string_view fieldText);

    // The stored text: general format, up to 15 significant digits, with the locale's
    // decimal separator.
    static std::string write(double value, char decimalSeparator);
};

}  // namespace zuva::settings

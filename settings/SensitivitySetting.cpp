#include "settings/SensitivitySetting.h"

#include "settings/GeneralNumberFormat.h"
#include "settings/StrictReal.h"

namespace zuva::settings {

SensitivitySetting::Taken SensitivitySetting::read(std::string_view stored) {
    std::string text(stored);
    if (const auto comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    return takeOver(text);
}

SensitivitySetting::Taken SensitivitySetting::takeOver(std::string_view fieldText) {
    if (const auto value = StrictReal::parse(fieldText)) return Taken{std::string(fieldText), *value};
    return Taken{std::string(kFallbackText), kFallbackValue};
}

std::string SensitivitySetting::write(double value, char decimalSeparator) {
    return GeneralNumberFormat::format(value, decimalSeparator);
}

}  // namespace zuva::settings

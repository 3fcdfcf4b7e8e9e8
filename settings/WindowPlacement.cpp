#include "settings/WindowPlacement.h"

#include "settings/DecimalInteger.h"
#include "settings/SettingsFile.h"

namespace zuva::settings {

namespace {

// Screens are never larger than this; anything beyond is a damaged entry.
constexpr std::int32_t kLimit = 100000;

std::optional<int> readNumber(const SettingsFile& file, std::string_view section, std::string_view key) {
    const auto value = DecimalInteger::parse(file.readString(section, key, ""));
    if (!value || *value < -kLimit || *value > kLimit) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

std::optional<WindowPlacement> WindowPlacement::load(const SettingsFile& file, std::string_view section) {
    const auto left = readNumber(file, section, "Left");
    const auto top = readNumber(file, section, "Top");
    const auto width = readNumber(file, section, "Width");
    const auto height = readNumber(file, section, "Height");
    if (!left || !top || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
    WindowPlacement placement{*left, *top, *width, *height, false};
    placement.maximized = file.readString(section, "Maximized", "0") == "1";
    return placement;
}

void WindowPlacement::save(SettingsFile& file, std::string_view section) const {
    file.writeString(section, "Left", std::to_string(left));
    file.writeString(section, "Top", std::to_string(top));
    file.writeString(section, "Width", std::to_string(width));
    file.writeString(section, "Height", std::to_string(height));
    file.writeString(section, "Maximized", maximized ? "1" : "0");
}

}  // namespace zuva::settings

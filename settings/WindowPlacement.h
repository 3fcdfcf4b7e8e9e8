#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zuva::settings {

class SettingsFile;

// Where a window was on the screen when it was last closed, kept in the settings
// file in a section named after the window ("TForm1"): keys "Left", "Top",
// "Width", "Height" (pixels) and "Maximized" ("0" or "1").
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;

    // The stored placement; nothing when a key is missing, not a whole number, or
    // the size is not positive (the window then takes its designed size and place).
    static std::optional<WindowPlacement> load(const SettingsFile& file, std::string_view section);
    // Throws IniWriteError when the file refuses the write.
    void save(SettingsFile& file, std::string_view section) const;

    bool operator==(const WindowPlacement&) const = default;
};

}  // namespace zuva::settings

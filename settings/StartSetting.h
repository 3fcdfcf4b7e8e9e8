#pragma once

#include <string>
#include <string_view>

namespace zuva::settings {

// Key "Start": "Yes" when acquisition starts with the program, otherwise "Not".
class StartSetting {
public:
    static constexpr std::string_view kKey = "Start";
    static constexpr std::string_view kDefault = "Not";

    // Only exactly "Yes" (same case, no blanks around it inside the value) ticks.
    static bool read(std::string_view stored) { return stored == "Yes"; }
    static std::string write(bool autostart) { return autostart ? "Yes" : "Not"; }
};

}  // namespace zuva::settings

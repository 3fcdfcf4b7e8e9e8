#pragma once

#include <string>
#include <string_view>

namespace zuva::settings {

class SettingsFile;

// Key "ComPort": SelectedPort, the name of the serial port in use, or "COM99" for none.
// Read and written unchanged; the check against the ports present is the port
// detection's.
class ComPortSetting {
public:
    static constexpr std::string_view kKey = "ComPort";
    static constexpr std::string_view kNoPort = "COM99";
    static constexpr std::string_view kDefault = kNoPort;

    static std::string load(const SettingsFile& file);
};

}  // namespace zuva::settings

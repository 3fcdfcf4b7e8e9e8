#pragma once

#include <optional>
#include <string>

namespace zuva::settings {

// The values the program stores at shut-down, as read back from where they live
// during the run.
struct ShutdownSettings {
    double sensitivity = 1.0;              // Sensitivity (last Apply, Start or opened file)
    int samplingRateIndex = 6;             // the Options rate list's index
    std::string outputDirectory;           // the output-directory field's text
    std::string comPort = "COM99";         // SelectedPort after the presence check
    std::optional<int> gainIndex = 0;      // the gain list's index; none selected: nullopt
    bool autostart = false;                // "Start acquisition when the program starts"
};

}  // namespace zuva::settings

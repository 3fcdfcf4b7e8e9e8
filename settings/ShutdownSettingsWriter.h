#pragma once

#include <string>
#include <vector>

#include "settings/ShutdownSettings.h"

namespace zuva::settings {

class SettingsFile;

// Writes the six "Config" keys at shut-down, in the order "sensitivity",
// "SamplingRate", "OutputDirectory", "ComPort", "Gain", "Start". A refused write is
// reported and the remaining keys are still written, so shut-down goes on to stop
// the instrument, close the port and log "Exit program" whatever the file system does.
class ShutdownSettingsWriter {
public:
    struct Failure {
        std::string key;
        std::string message;  // "Unable to write to " + path (+ reason)
    };

    ShutdownSettingsWriter(SettingsFile& file, char decimalSeparator)
        : file_(file), decimalSeparator_(decimalSeparator) {}

    // Every refused write, in the order tried; empty when all six were written.
    std::vector<Failure> write(const ShutdownSettings& settings);

private:
    SettingsFile& file_;
    char decimalSeparator_;
};

}  // namespace zuva::settings

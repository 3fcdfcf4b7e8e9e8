#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zuva::recording {
class LogSink;
}

namespace zuva::settings {

class SettingsFile;

// Key "Gain": the index of the gain list entry, 0 = gain 1, 1 = 10, 2 = 100, 3 = 1000.
class GainSetting {
public:
    static constexpr std::string_view kKey = "Gain";
    static constexpr std::string_view kDefault = "0";
    static constexpr int kGainCount = 4;
    static constexpr int kFallbackIndex = 0;  // gain 1

    struct Reading {
        // The entry to select. Index 0 (gain 1) whenever the stored text is unusable.
        int index = kFallbackIndex;
        // Set when the stored text is not an integer: the conversion error for the
        // window's message box, "'<text>' is not a valid integer value". The caller
        // decides whether the rest of its start-up step goes on.
        std::optional<std::string> conversionError;
        // Set when the stored integer is outside 0..3: the event-log line saying so.
        std::optional<std::string> logLine;
    };

    static Reading read(std::string_view stored);

    // Reads the key from the settings file and writes the reading's log line, if any.
    static Reading load(const SettingsFile& file, recording::LogSink& log);

    // The index in decimal; "-1" when no entry is selected.
    static std::string write(std::optional<int> index);
};

}  // namespace zuva::settings

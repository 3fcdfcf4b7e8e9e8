#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"

namespace zuva::settings {

// The station the data come from, as the settings file's section "Station" gives it:
// what the data products and the publisher put into their headers and topics.
// Absent or invalid values stay empty (nullopt); read() says what it could not take.
struct StationSettings {
    std::string iagaCode;             // three letters, upper case; empty: none set
    std::string name;
    std::string institute;
    std::optional<double> latitude;   // degrees north, -90..90
    std::optional<double> longitude;  // degrees east, 0..360
    std::optional<double> elevation;  // metres
    std::string orientation = "XYZ";
    std::string dataType = "variation";  // variation, provisional, quasi-definitive, definitive
    bool iagaOutput = false;          // IagaOutput=Yes: IAGA-2002 files while recording

    static constexpr const char* kSection = "Station";

    // Reads the section. Each value that is present but cannot be taken leaves its
    // default and adds one message to `problems` naming the key and the text.
    static StationSettings read(const SettingsFile& file, std::vector<std::string>& problems);

    // The data type's letter in IAGA-2002 file names: v, p, q or d.
    char dataTypeLetter() const;
};

}  // namespace zuva::settings

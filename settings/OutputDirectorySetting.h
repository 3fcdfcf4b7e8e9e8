#pragma once

#include <string>
#include <string_view>

namespace zuva::settings {

class SettingsFile;

// Key "OutputDirectory": the text of the output-directory field, written unchanged.
class OutputDirectorySetting {
public:
    static constexpr std::string_view kKey = "OutputDirectory";

    // The stored text when it names an existing directory, otherwise (also when the
    // key is missing or empty) the given current directory.
    static std::string read(std::string_view stored, const std::string& currentDirectory);

    // read() of the file's value against the process's current directory.
    static std::string load(const SettingsFile& file);

    // The process's current directory; "" when it cannot be determined (data files
    // then go to the current directory all the same).
    static std::string currentDirectory();
};

}  // namespace zuva::settings

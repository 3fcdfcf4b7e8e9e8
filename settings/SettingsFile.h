#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/IniFile.h"

namespace zuva::settings {

// The program's one settings file, "zuva.ini". It lies beside the executable unless
// the program was given another path (--config PATH). Holds no copy of the contents:
// each read and write goes to the file. Section "Config" holds the program's
// settings; the windows keep their placement in sections named after them.
class SettingsFile {
public:
    static constexpr std::string_view kFileName = "zuva.ini";
    static constexpr std::string_view kConfigSection = "Config";

    // path as given, made absolute against the current directory.
    explicit SettingsFile(const std::string& path);

    // The directory of the running executable (/proc/self/exe) with "zuva.ini"
    // appended; "zuva.ini" in the current directory when the executable's path
    // cannot be read.
    static std::string pathBesideExecutable();

    // The path given on the command line when there is one, else the one beside
    // the executable.
    static std::string choosePath(const std::optional<std::string>& givenPath);

    const std::string& path() const noexcept { return ini_.path(); }

    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Throws IniWriteError ("Unable to write to " + path) when the write is refused.
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // The same in section "Config".
    std::string readConfig(std::string_view key, std::string_view defaultValue) const;
    void writeConfig(std::string_view key, std::string_view value);

private:
    IniFile ini_;
};

}  // namespace zuva::settings

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zuva::settings {

// The text of an ini file, looked up and changed in memory (IniFile does the disk
// side). The line rules are those described at IniFile; any bytes are accepted,
// including NUL, lines without "=", and "[" without "]".
class IniText {
public:
    // The trimmed value of the first matching key of the first matching section, or
    // nothing when there is none. Not cut to any length.
    static std::optional<std::string_view> find(std::string_view text, std::string_view section,
                                                std::string_view key);

    // The text with the key set to value: its line replaced (keeping that line's
    // ending), or a line added at the end of the section, or the section and the
    // line added at the end of the text after a blank line. The caller has checked
    // the names and value with validWrite().
    static std::string withValue(std::string_view text, std::string_view section,
                                 std::string_view key, std::string_view value);

    // Why section, key and value cannot be written as one line that reads back the
    // same, or nothing when they can.
    static std::optional<std::string> invalidWrite(std::string_view section, std::string_view key,
                                                   std::string_view value);
};

}  // namespace zuva::settings

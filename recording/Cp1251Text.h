#pragma once

#include <string>
#include <string_view>

namespace zuva::recording {

// The code page the data file header declares (windows-1251) and the program's own
// UTF-8, converted with the C library's iconv. A character windows-1251 cannot hold
// (or a byte that is not UTF-8) becomes "?"; the one byte windows-1251 leaves
// unassigned (0x98) reads back as "?".
class Cp1251Text {
public:
    static std::string fromUtf8(std::string_view utf8);
    static std::string toUtf8(std::string_view cp1251);
};

}  // namespace zuva::recording

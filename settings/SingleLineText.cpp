#include "settings/SingleLineText.h"

namespace zuva::settings {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0u) == 0x80u; }

// Length in bytes of the character at text[i]: a well-formed UTF-8 sequence, or 1.
std::size_t characterLength(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) n = 3;
    else if (c >= 0xF0 && c <= 0xF4) n = 4;
    if (n == 1 || i + n > text.size()) return 1;
    for (std::size_t k = 1; k < n; ++k) {
        if (!isContinuation(static_cast<unsigned char>(text[i + k]))) return 1;
    }
    return n;
}

}  // namespace

std::size_t SingleLineText::characterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += characterLength(text, i)) ++count;
    return count;
}

std::string SingleLineText::fit(std::string_view text, std::size_t maxCharacters) {
    std::string out;
    out.reserve(text.size() < maxCharacters * 4 ? text.size() : maxCharacters * 4);
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size() && count < maxCharacters; ++count) {
        if (text[i] == '\r' || text[i] == '\n') {
            out.push_back(' ');
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        const std::size_t n = characterLength(text, i);
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

}  // namespace zuva::settings

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zuva::settings {

// Text as a single-line edit field holds it. Characters are UTF-8 code points; a
// byte that does not begin a well-formed sequence counts as one character, so any
// bytes are measured and cut without splitting a sequence.
class SingleLineText {
public:
    static std::size_t characterCount(std::string_view text);

    // Line breaks (CR LF, CR, LF) each become one blank, then the text is cut to at
    // most maxCharacters characters.
    static std::string fit(std::string_view text, std::size_t maxCharacters);
};

}  // namespace zuva::settings

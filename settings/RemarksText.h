#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zuva::settings {

// RemarksText: the user's remark, written into the header of every data file opened
// afterwards. One line of at most 1024 characters; empty at program start and never
// stored in the settings file.
class RemarksText {
public:
    static constexpr std::size_t kMaxCharacters = 1024;

    const std::string& text() const noexcept { return text_; }
    bool empty() const noexcept { return text_.empty(); }
    // Line breaks become blanks and the text is cut to 1024 characters.
    void set(std::string_view text);
    void clear() { text_.clear(); }

private:
    std::string text_;
};

}  // namespace zuva::settings

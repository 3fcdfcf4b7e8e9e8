#include "recording/Cp1251Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace zuva::recording {

namespace {

// Length of the UTF-8 sequence that begins with lead (1 for a byte that cannot begin one).
std::size_t utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// Converts text from one code to the other; an input sequence that cannot be
// converted gives one "?" and is passed over (its whole UTF-8 sequence when the
// input is UTF-8).
std::string convert(std::string_view text, const char* to, const char* from, bool fromUtf8) {
    std::string out;
    if (text.empty()) return out;
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) {
        // No converter in this C library: keep the ASCII and mark everything else.
        for (char c : text) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
        return out;
    }
    out.reserve(text.size() * (fromUtf8 ? 1 : 2));
    std::string input(text);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (done != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ (not representable or not valid) or EINVAL (cut-off sequence at the end).
        out += '?';
        std::size_t skip = fromUtf8 ? utf8Length(static_cast<unsigned char>(*in)) : 1;
        if (skip > inLeft) skip = inLeft;
        // A malformed sequence is passed over one byte at a time.
        if (fromUtf8) {
            for (std::size_t k = 1; k < skip; ++k) {
                if ((static_cast<unsigned char>(in[k]) & 0xC0) != 0x80) {
                    skip = k;
                    break;
                }
            }
        }
        in += skip;
        inLeft -= skip;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    ::iconv_close(cd);
    return out;
}

}  // namespace

std::string Cp1251Text::fromUtf8(std::string_view utf8) { return convert(utf8, "WINDOWS-1251", "UTF-8", true); }

std::string Cp1251Text::toUtf8(std::string_view cp1251) { return convert(cp1251, "UTF-8", "WINDOWS-1251", false); }

}  // namespace zuva::recording

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording/DataFileSink.h"

namespace zuva::recording {

// The header of a new data file as written, with what the records must match.
struct ComposedHeader {
    std::string text;                // the 21 lines, each ended by CR LF
    std::uint16_t tripleCount = 0;   // N = 256 / averaging, the triples of every record
    std::vector<std::string> notes;  // log lines about values that had to be mended
};

// Builds the 21-line XML text header of a data file from what the decoder knows at
// the start of a recording period and the user's remark. Values are written as
// they are, without XML escaping; only CR and LF, which would split a header line
// and move the records away from where readers find them, become blanks. Texts are
// converted from UTF-8 to the declared windows-1251 ("?" for what it cannot hold).
class DataFileHeaderComposer {
public:
    // Throws std::invalid_argument when the averaging factor is not one of
    // 1, 2, 4, ..., 256: no readable file can be made from it.
    static ComposedHeader compose(const DataFileHeaderInfo& info, const std::string& remarks);

    static inline constexpr std::size_t kMaxLongitude = 11;
    static inline constexpr std::size_t kMaxLatitude = 10;
    static inline constexpr std::size_t kMaxAltitude = 7;
};

// True for 1, 2, 4, ..., 256.
bool isValidAveraging(unsigned averaging);

}  // namespace zuva::recording

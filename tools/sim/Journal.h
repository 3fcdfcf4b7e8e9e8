#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zuva::sim {

// The simulator's record of the line, one line per event:
//   "<seconds since start, 6 decimals> tx <frame bytes>"   a frame written whole to the line
//   "<seconds since start, 6 decimals> rx <control byte>"  a control byte received
//   "<seconds since start, 6 decimals> unplug"             the line pulled out (--unplug-at)
//   "<seconds since start, 6 decimals> replug"             a new line under the same name
// Bytes are two upper-case hex digits each, separated by single blanks. A frame
// dropped because nobody read the line (or the reader fell too far behind) is not
// listed; bytes the reader's side discards when it closes are.
class Journal {
public:
    Journal() = default;
    // Throws std::system_error when the file cannot be created.
    explicit Journal(const std::string& path);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    void record(double seconds, const char* direction, const std::vector<std::uint8_t>& bytes);
    // An event of the line itself, without bytes ("unplug", "replug").
    void event(double seconds, const char* what);
    void flush();

    static std::string hex(const std::vector<std::uint8_t>& bytes);

private:
    std::FILE* file_ = nullptr;
};

}  // namespace zuva::sim

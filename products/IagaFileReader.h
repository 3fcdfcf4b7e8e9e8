#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "products/IagaFile.h"

namespace zuva::products {

// A file that cannot be read as IAGA-2002, with the line (from 1; 0: the whole file).
class IagaReadError : public std::runtime_error {
public:
    IagaReadError(std::size_t line, const std::string& message)
        : std::runtime_error(line == 0 ? message : "line " + std::to_string(line) + ": " + message), line_(line) {}
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

// Reads IAGA-2002 files, also ones whose header carries only some of the twelve
// records or whose records are not padded to 70 characters; lines may end in LF or
// CR LF. The IAGA code comes from the IAGA Code record or else from the column
// names; the interval from Data Interval Type or else from the first two records.
class IagaFileReader {
public:
    // Throws IagaReadError for content it cannot place, std::runtime_error when the
    // file cannot be read.
    static IagaFile readFile(const std::string& path);
    static IagaFile parse(std::string_view text);
};

}  // namespace zuva::products

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zuva::products {

// One rule an IAGA-2002 file breaks, at its line (from 1; 0: the file as a whole).
struct IagaViolation {
    std::size_t line = 0;
    std::string message;
};

// Checks an IAGA-2002 file: every record 70 characters and a line end; the twelve
// header records in their order with label from column 2, value from column 25 and
// "|" in column 70; comment records framed the same way; the column header with the
// IAGA code and the Reported letters; data records in their exact layout, with a
// day of year that matches the date, time stamps one interval apart within one UTC
// day, values that are measurements or the fill values 99999.00 and 88888.00; and,
// when a file name of the form <code><yyyymmdd><t><sec|min>.<sec|min> is given, that
// the name agrees with the header (code, interval, data type) and the records.
class IagaChecker {
public:
    // fileName: the file's name without directories, or empty to skip the name.
    static std::vector<IagaViolation> check(std::string_view text, const std::string& fileName);
    // Reads the file; a file that cannot be read gives one violation at line 0.
    static std::vector<IagaViolation> checkFile(const std::string& path);
};

}  // namespace zuva::products

#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "products/FieldValue.h"
#include "products/IagaHeader.h"

namespace zuva::products {

// An IAGA-2002 file as read: its header (records that are absent keep empty
// values), the names of its four data columns, its interval and its records (the
// first three columns; 99999.00 and 88888.00 read as NaN).
struct IagaFile {
    IagaHeader header;
    std::vector<std::string> headerLabels;   // the header records found, in file order
    std::array<std::string, 4> columns;      // e.g. "ABCX"
    std::optional<Interval> interval;        // from Data Interval Type or the time stamps
    std::vector<FieldValue> records;
};

}  // namespace zuva::products

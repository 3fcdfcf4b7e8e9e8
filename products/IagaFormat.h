#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "products/FieldValue.h"
#include "products/IagaHeader.h"

namespace zuva::products {

// The records of an IAGA-2002 file. Every record is 70 characters followed by "\n".
// Header records: a blank, the label from column 2, the value from column 25, "|" in
// column 70. Data records: "YYYY-MM-DD hh:mm:ss.sss DDD", three blanks and four
// fields of 10 characters (a blank and F9.2) in nT; 99999.00 marks a missing value,
// 88888.00 an element that is not recorded (the fourth, F).
class IagaFormat {
public:
    static constexpr std::size_t kRecordLength = 70;
    static constexpr double kMissing = 99999.0;
    static constexpr double kNotRecorded = 88888.0;
    static constexpr const char* kLabels[12] = {
        "Format",          "Source of Data",   "Station Name",       "IAGA Code",
        "Geodetic Latitude", "Geodetic Longitude", "Elevation",        "Reported",
        "Sensor Orientation", "Digital Sampling", "Data Interval Type", "Data Type"};

    // "1-second" or "1-minute (00:15-01:45)" (the minute filter reaches 45 s either side).
    static std::string intervalTypeText(Interval interval);

    // One header record; the value is cut at 45 characters.
    static std::string headerRecord(std::string_view label, std::string_view value);
    // Comment records (" # text"), the text wrapped over as many records as it needs.
    static std::string commentRecords(std::string_view text);
    // The twelve header records, the comments and the column header line.
    static std::string headerText(const IagaHeader& header);
    // "DATE       TIME         DOY     ABCX      ABCY      ABCZ      ABCF   |"
    static std::string columnHeader(const std::string& code, const std::array<char, 4>& elements);
    // One data record of X, Y, Z and an F that is not recorded.
    static std::string dataRecord(const FieldValue& value);
    // A value as its 10-character field (NaN as 99999.00; a value that does not fit
    // F9.2 is also written as 99999.00).
    static std::string field(double value);

    // "abc20260314vsec.sec" for code "ABC", the UTC day that holds dayTime, letter 'v'.
    static std::string fileName(const std::string& code, std::int64_t dayTime, char typeLetter, Interval interval);
    static std::int64_t step(Interval interval) { return interval == Interval::Second ? 1 : 60; }
};

}  // namespace zuva::products

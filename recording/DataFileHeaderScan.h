#pragma once

#include <cstdint>
#include <string>

namespace zuva::recording {

// What a header scan found in a data file; the record readers and the export work
// from it.
struct DataFileHeaderScan {
    // 1..256 from the samplingrate line; 0 when it is missing or bad, or when the
    // header was refused (see refusal). With 0 no records are read.
    std::int32_t FileSamplingRate = 0;
    double sensitivity = 1.0;        // nT per bit
    std::uint16_t averaging = 4;     // samples added up per stored value
    std::int32_t HeaderLength = 0;   // byte offset of the first record; 0 without an end line
    std::string FileInfoText;        // "Remarks: … . GPS data from file: …", or empty
    bool endFound = false;           // the header's end line was found
    std::string refusal;             // why the values cannot convert the records, or empty
    // The date of the header's year, month and day lines; 0 where a line is missing or bad.
    int year = 0;
    int month = 0;
    int day = 0;
};

}  // namespace zuva::recording

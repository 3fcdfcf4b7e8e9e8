#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "recording/DataFileHeaderScan.h"
#include "recording/LogSink.h"

namespace zuva::recording {

// Scans the XML text header of a data file.
//
// The header is read as text lines (ended by CR LF, LF or CR); HeaderLength is the
// byte offset just after the line whose last 14 characters are "</zuva_header>" in
// any case, counted from the line ends actually found. An element is recognised by
// its opening tag at the start of a line (after blanks and tabs), its value runs to
// the first "</" after the tag; numbers are read with leading blanks skipped and "."
// as the decimal point, whatever the locale. Bad values are logged with the line
// ("XML: samplingrate: …", "XML: sensitivity: …", "XML: averaging: …") and replaced
// by 0, 1 and 4. A header whose averaging factor does not make 256 with the
// sampling rate, or whose sensitivity is 0, is refused with a log line: its
// FileSamplingRate is then 0, so that no records are converted with it.
//
// Only the first kMaxHeaderScanBytes of a file are searched for the header. The
// remarks and GPS summary (FileInfoText) is cut to kMaxInfoTextBytes, with a log line;
// a header the program writes gives far less.
class DataFileHeaderReader {
public:
    explicit DataFileHeaderReader(LogSink& log) : log_(log) {}

    // Throws IoError when the file cannot be opened or read. sensitivity is the
    // value used when the header has no sensitivity line.
    DataFileHeaderScan ReadDataFileHeader(const std::string& name, double sensitivity = 1.0);

    static inline constexpr std::size_t kMaxHeaderScanBytes = 1u << 20;
    static inline constexpr std::size_t kMaxInfoTextBytes = 4096;

private:
    struct ScanState;
    void scanLine(std::string_view line, DataFileHeaderScan& scan, ScanState& state);
    void validate(const std::string& name, DataFileHeaderScan& scan, const ScanState& state);

    LogSink& log_;
};

}  // namespace zuva::recording

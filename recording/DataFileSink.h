#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zuva::recording {

// What the decoder knows when a new recording period begins. The writer adds the
// output directory and the remark, composes the file name and writes the header.
struct DataFileHeaderInfo {
    std::string fileDate;          // "YYYYMMDD" (the PC's date when it stands in)
    std::string fileTime;          // "HHMMSS", or "HHMMSS_" when the PC clock stands in
    std::string dateText;          // "YYYY MM DD", always the instrument's date
    std::uint16_t averaging = 4;   // 256 / sampling rate
    std::string samplingRateText;  // "1" .. "256"
    double sensitivity = 1.0;      // nT per bit
    std::string gainText;          // "1", "10", "100" or "1000"
    std::string longitude;         // trimmed texts of the last position frame, or empty
    std::string latitude;
    std::string altitude;
};

// One completed second as it is appended to the data file: the status byte of the
// last frame, the instrument's time of the second, and N triples (raw counts at
// 256 Hz, group sums otherwise). Only the first tripleCount entries are used.
struct SecondRecord {
    std::uint8_t statusByte = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint16_t tripleCount = 0;  // N = 256 / averaging, 1..256
    std::array<std::int32_t, 256> bx{};
    std::array<std::int32_t, 256> by{};
    std::array<std::int32_t, 256> bz{};
};

// The recorder the decoder hands its data to (OpenNewDataFile / AppendSecondRecord).
// Failures are thrown; a recorder may instead keep what it cannot write yet and
// tell how many seconds wait (backlogSeconds).
class DataFileSink {
public:
    virtual ~DataFileSink() = default;
    virtual void OpenNewDataFile(const DataFileHeaderInfo& info) = 0;
    virtual void AppendSecondRecord(const SecondRecord& record) = 0;
    // The full name of the current data file; "TEST.ZUV" before the first one.
    virtual std::string DataFileName() const = 0;
    // Completed seconds handed over but not yet written.
    virtual std::size_t backlogSeconds() const { return 0; }
};

}  // namespace zuva::recording

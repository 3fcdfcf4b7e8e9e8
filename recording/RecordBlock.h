#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zuva::recording {

// A run of whole one-second records as the record reader hands them on, converted
// to nT. Sample i of the block belongs to record i / samplesPerRecord and is sample
// k = i % samplesPerRecord of it (k counts from 0).
struct RecordBlock {
    std::size_t recordCount = 0;
    std::size_t samplesPerRecord = 0;       // N, the file's sampling rate
    std::span<const std::int32_t> recordSecond;  // per record: seconds after midnight, 0..86399
    std::span<const std::uint8_t> recordStatus;  // per record: the status byte
    std::span<const double> timeOfDay;      // per sample: seconds after midnight, second + k / N
    std::span<const double> bx;             // per sample, nT
    std::span<const double> by;
    std::span<const double> bz;
    std::uint64_t firstRecordOffset = 0;    // byte offset of the block's first record
    std::uint64_t bytesRead = 0;            // file position after the block's last record
    std::uint64_t fileSize = 0;

    std::size_t sampleCount() const { return recordCount * samplesPerRecord; }
    // bytesRead / fileSize * 100, rounded to the nearest integer.
    int progressPercent() const {
        if (fileSize == 0) return 100;
        return static_cast<int>((bytesRead * 200 + fileSize) / (fileSize * 2));
    }
};

}  // namespace zuva::recording

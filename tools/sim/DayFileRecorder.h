#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/FrameEncoder.h"
#include "tools/sim/SimOptions.h"

namespace zuva::sim {

// What to record without a serial line: the unit's seconds from `from` on, for
// `seconds` seconds, into data files in `directory`.
struct DayFileRequest {
    std::string directory;
    acquisition::FrameDateTime from;  // the first second recorded (a midnight for whole days)
    std::int64_t seconds = 86400;
    int rateIndex = 2;                // sampling rate 2^rateIndex Hz: 0 (1 Hz) .. 8 (256 Hz)
    double sensitivity = 1.0;         // nT per bit, as the Options dialog gives it
};

// What was recorded: the data files in the order they were begun, and the event
// log lines the recording wrote.
struct DayFileResult {
    std::vector<std::string> files;
    std::vector<std::string> log;
};

// Records the simulated unit's frames into data files as the logger does, much
// faster than real time: the unit's frames go through the logger's own reception,
// decoding, rotation ("Every midnight") and data file writer, over an in-memory
// line instead of a pseudo-terminal. The unit is switched on two seconds before
// `from`, so that the logger's warm-up seconds fall before it and the first file
// begins at `from` itself; a run from a midnight gives one file per day, named
// "YYYYMMDD000000.zuv". The PC clock, needed only for an unset instrument clock,
// follows the unit's clock.
class DayFileRecorder {
public:
    // Seconds the logger passes over at the start of a run before it records.
    static constexpr std::int64_t kWarmUpSeconds = 2;

    // Throws std::invalid_argument for a rate index outside 0..8 or no seconds,
    // std::runtime_error when the directory does not exist, a file could not be
    // written (the log lines say which) or the unit sent nothing to record.
    static DayFileResult record(const DayFileRequest& request, const SimOptions& unit);
};

}  // namespace zuva::sim

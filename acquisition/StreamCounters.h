#pragma once

#include <cstdint>

namespace zuva::acquisition {

// Running counts of the stream since the program started, for the status line, the
// window and the daily report (which takes differences between two readings).
struct StreamCounters {
    std::uint64_t secondsRecorded = 0;  // completed seconds handed to the data file
    std::uint64_t secondsLost = 0;      // whole seconds that never came during a run
    std::uint64_t samplesFilled = 0;    // positions filled from a neighbouring sample
    std::uint64_t frameErrors = 0;      // bad sync, bad checksum, invalid date or time
};

}  // namespace zuva::acquisition

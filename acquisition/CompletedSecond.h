#pragma once

#include <cstdint>

#include "acquisition/FrameDate.h"
#include "acquisition/TimeOfDay.h"
#include "recording/DataFileSink.h"

namespace zuva::acquisition {

// One completed second as every consumer after the decoder sees it: the second's
// own instrument date and time, the record that goes into the data file, and what
// turns its stored values into nT.
struct CompletedSecond {
    FrameDate date;            // the second's date (the PC's when it stands in for an unset clock)
    TimeOfDay time;            // the second's time
    bool pcClock = false;      // the PC clock stood in for an unset instrument clock
    std::uint16_t averaging = 4;   // samples added up per stored value (256 / rate)
    double sensitivity = 1.0;  // nT per bit
    double gain = 1.0;         // 1, 10, 100 or 1000
    std::uint32_t filledSamples = 0;  // positions of this second with no good frame of their own
    const recording::SecondRecord* record = nullptr;  // never null when handed out

    // A stored value (a raw count at 256 Hz, a group sum otherwise) in nT.
    double nanotesla(std::int32_t stored) const {
        return static_cast<double>(stored) * sensitivity / gain / static_cast<double>(averaging);
    }
};

}  // namespace zuva::acquisition

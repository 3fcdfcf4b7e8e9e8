#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/FrameEncoder.h"
#include "tools/sim/InstrumentClock.h"
#include "tools/sim/SimOptions.h"

namespace zuva::sim {

using FrameBytes = std::vector<std::uint8_t>;

// The simulated acquisition unit. Time is counted in slices of 1/256 s since the
// start; slice n is sample n % 256 of second n / 256 of the instrument's clock.
//
// Control byte: 0x80 transmit, 0x10 PositionFrames instead of DataFrames, 0x04
// clear = calibration on, 0x03 gain code. While transmit is on with DataFrames
// selected every slice yields one DataFrame; a control byte with transmit on and
// PositionFrames selected yields one PositionFrame. StatusByte: bits 0-1 the gain
// code of the last control byte, bit 3 GPS available.
class Instrument {
public:
    explicit Instrument(const SimOptions& options, acquisition::FrameDateTime start);

    // A control byte from the PC, at slice `slice`; a requested PositionFrame is appended to out.
    void onControlByte(std::uint8_t byte, std::int64_t slice, std::vector<FrameBytes>& out);
    // The frame of slice `slice`, if the unit streams and the fault rules keep it.
    void onSlice(std::int64_t slice, std::vector<FrameBytes>& out);

    bool streaming() const;
    std::uint8_t controlByte() const { return control_; }
    std::uint8_t statusByte(std::int64_t slice) const;
    bool gpsAvailable(std::int64_t slice) const;

private:
    const SimOptions options_;
    const InstrumentClock clock_;
    std::uint8_t control_ = 0x04;  // as after power-up: not transmitting, calibration off, gain 1
    std::uint64_t dataFrames_ = 0;
};

}  // namespace zuva::sim

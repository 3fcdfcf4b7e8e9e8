#pragma once

#include <cstdint>

namespace zuva::sim {

// A steady, plausible field in counts: a different base on each axis (a few tens
// of thousands), a slow variation (periods of some minutes), a daily variation of a
// few hundred counts (a day's period from the start), a little noise, and
// while calibration is on a 1 Hz square pulse. Multiplied by the gain and held
// within the 24-bit range, as the unit's converter would.
class FieldModel {
public:
    // sample: number of the 1/256 s slice since the start; axis 0..2 for Bx, By, Bz.
    static std::int32_t count(std::int64_t sample, int axis, int gainCode, bool calibration);
};

}  // namespace zuva::sim

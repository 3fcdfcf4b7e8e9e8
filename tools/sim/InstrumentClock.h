#pragma once

#include <cstdint>

#include "acquisition/FrameEncoder.h"

namespace zuva::sim {

// The unit's clock: a start date and time moved on by whole seconds (Gregorian
// calendar). Past 2099-12-31 it wraps to 2000, as a two-digit BCD year does.
class InstrumentClock {
public:
    explicit InstrumentClock(acquisition::FrameDateTime start);
    acquisition::FrameDateTime at(std::int64_t secondsSinceStart) const;
    static int daysInMonth(int year, int month);

private:
    std::int64_t startDay_;  // days since 1970-01-01
    std::int64_t startSecondOfDay_;
};

}  // namespace zuva::sim

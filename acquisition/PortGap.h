#pragma once

#include <cstdint>
#include <string>

#include "recording/Clock.h"

namespace zuva::acquisition {

// The time a port was away, from the PC clock's readings at its loss and at its
// return, in the forms the event log shows.
class PortGap {
public:
    PortGap(const recording::LocalDateTime& lostAt, const recording::LocalDateTime& backAt)
        : lostAt_(lostAt), backAt_(backAt) {}

    // Milliseconds from the loss to the return; 0 when the clock was set back meanwhile.
    std::int64_t milliseconds() const;

    // "lost at 10:20:30.250, " + endWord + " at 10:20:33.500, gap 3.250 s"
    std::string text(const std::string& endWord) const;

    // "HH:MM:SS.mmm"
    static std::string clockText(const recording::LocalDateTime& t);
    // Seconds with three decimals and the unit: "3.250 s", "0.000 s", "3725.004 s".
    static std::string durationText(std::int64_t milliseconds);
    // Milliseconds since 1970-01-01 00:00:00.000 of the same calendar (local time taken as it reads).
    static std::int64_t epochMilliseconds(const recording::LocalDateTime& t);

private:
    recording::LocalDateTime lostAt_;
    recording::LocalDateTime backAt_;
};

}  // namespace zuva::acquisition

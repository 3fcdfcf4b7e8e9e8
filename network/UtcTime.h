#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "recording/UtcCalendar.h"

namespace zuva::network {

// Calendar arithmetic on UTC seconds since 1970-01-01 (no leap seconds, no time zone),
// and the ISO 8601 form of the times in the MQTT messages.
struct UtcTime : recording::UtcDateTime {

    static UtcTime fromEpoch(std::int64_t seconds);
    std::int64_t toEpoch() const;
    int dayOfYear() const;  // 1..366

    // "2026-03-14T10:20:30" (seconds true) or "2026-03-14T10:20".
    std::string iso(bool seconds) const;
    // Reads "YYYY-MM-DDThh:mm[:ss]" with an optional trailing "Z"; nullopt for
    // anything else, including impossible dates and times.
    static std::optional<UtcTime> parseIso(const std::string& text);

    static std::int64_t dayStart(std::int64_t seconds);  // 00:00:00 of that UTC day
};

}  // namespace zuva::network

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zuva::network {

// Calendar arithmetic on UTC seconds since 1970-01-01 (no leap seconds, no time zone).
struct UtcTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;

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

#include "acquisition/PortGap.h"

#include <cstdio>

#include "recording/UtcCalendar.h"

namespace zuva::acquisition {

std::int64_t PortGap::epochMilliseconds(const recording::LocalDateTime& t) {
    const std::int64_t seconds = recording::UtcCalendar::daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    return seconds * 1000 + t.millisecond;
}

std::int64_t PortGap::milliseconds() const {
    const std::int64_t ms = epochMilliseconds(backAt_) - epochMilliseconds(lostAt_);
    return ms > 0 ? ms : 0;
}

std::string PortGap::clockText(const recording::LocalDateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t.hour, t.minute, t.second, t.millisecond);
    return text;
}

std::string PortGap::durationText(std::int64_t milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%03lld s", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

std::string PortGap::text(const std::string& endWord) const {
    return "lost at " + clockText(lostAt_) + ", " + endWord + " at " + clockText(backAt_) + ", gap " +
           durationText(milliseconds());
}

}  // namespace zuva::acquisition

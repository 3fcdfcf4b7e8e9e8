#include "acquisition/PortGap.h"

#include <cstdio>

namespace zuva::acquisition {

namespace {

// Days since 1970-01-01 of a Gregorian date (proleptic, any year).
std::int64_t daysFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t shiftedMonth = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::int64_t PortGap::epochMilliseconds(const recording::LocalDateTime& t) {
    const std::int64_t seconds = daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
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

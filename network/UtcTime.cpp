#include "network/UtcTime.h"

#include <cstdio>

#include "recording/UtcCalendar.h"

namespace zuva::network {

UtcTime UtcTime::fromEpoch(std::int64_t seconds) {
    UtcTime t;
    static_cast<recording::UtcDateTime&>(t) = recording::UtcCalendar::fromEpoch(seconds);
    return t;
}

std::int64_t UtcTime::toEpoch() const { return recording::UtcCalendar::toEpoch(*this); }

int UtcTime::dayOfYear() const {
    return recording::UtcCalendar::dayOfYear(year, month, day);
}

std::string UtcTime::iso(bool seconds) const {
    char buffer[32];
    if (seconds) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute, second);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d", year, month, day, hour, minute);
    }
    return buffer;
}

std::optional<UtcTime> UtcTime::parseIso(const std::string& text) {
    std::string t = text;
    if (!t.empty() && t.back() == 'Z') t.pop_back();
    const auto digits = [&t](std::size_t at, std::size_t count, int& out) {
        if (at + count > t.size()) return false;
        out = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            out = out * 10 + (t[i] - '0');
        }
        return true;
    };
    UtcTime u;
    if (t.size() != 16 && t.size() != 19) return std::nullopt;
    if (!digits(0, 4, u.year) || t[4] != '-' || !digits(5, 2, u.month) || t[7] != '-' || !digits(8, 2, u.day) ||
        t[10] != 'T' || !digits(11, 2, u.hour) || t[13] != ':' || !digits(14, 2, u.minute))
        return std::nullopt;
    if (t.size() == 19 && (t[16] != ':' || !digits(17, 2, u.second))) return std::nullopt;
    if (!recording::UtcCalendar::validDate(u.year, u.month, u.day) || u.hour > 23 ||
        u.minute > 59 || u.second > 59)
        return std::nullopt;
    return u;
}

std::int64_t UtcTime::dayStart(std::int64_t seconds) {
    std::int64_t rest = seconds % 86400;
    if (rest < 0) rest += 86400;
    return seconds - rest;
}

}  // namespace zuva::network

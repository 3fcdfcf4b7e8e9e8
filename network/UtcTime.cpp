#include "network/UtcTime.h"

#include <cstdio>

namespace zuva::network {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : days[month - 1];
}

}  // namespace

UtcTime UtcTime::fromEpoch(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    UtcTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int64_t UtcTime::toEpoch() const {
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

int UtcTime::dayOfYear() const {
    return static_cast<int>(daysFromCivil(year, month, day) - daysFromCivil(year, 1, 1)) + 1;
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
    if (u.month < 1 || u.month > 12 || u.day < 1 || u.day > daysInMonth(u.year, u.month) || u.hour > 23 ||
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

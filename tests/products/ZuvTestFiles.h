#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "recording/UtcCalendar.h"
#include "recording/DataFileHeaderComposer.h"
#include "recording/SecondRecordEncoder.h"

namespace zuva::products::testing {

constexpr double kTestSensitivity = 0.001;  // nT per bit

// Writes a data file as the recorder does: its header for a file begun at `start`
// (UTC epoch seconds) at `rate` Hz with sensitivity 0.001 nT per bit and gain 1, and
// one record for each of `seconds` seconds from `start` on (except those `skip`
// names). Raw sample j of second s is the field at s + j / 256 in counts; a stored
// value is the sum of the raw samples of its group. X is the field, Y its negative
// and Z twice it.
inline void writeZuv(const std::string& path, std::int64_t start, int rate, int seconds,
                     const std::function<double(double)>& field,
                     const std::function<bool(std::int64_t)>& skip = nullptr, const std::string& latitude = "") {
    const recording::UtcDateTime d = recording::UtcCalendar::fromEpoch(start);
    char date[16], time[16], dateText[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", d.year, d.month, d.day);
    std::snprintf(time, sizeof time, "%02d%02d%02d", d.hour, d.minute, d.second);
    std::snprintf(dateText, sizeof dateText, "%04d %02d %02d", d.year, d.month, d.day);
    recording::DataFileHeaderInfo info;
    info.fileDate = date;
    info.fileTime = time;
    info.dateText = dateText;
    info.averaging = static_cast<std::uint16_t>(256 / rate);
    info.samplingRateText = std::to_string(rate);
    info.sensitivity = kTestSensitivity;
    info.gainText = "1";
    info.latitude = latitude;
    info.longitude = latitude.empty() ? "" : "01131.0000E";
    info.altitude = latitude.empty() ? "" : "545.4";
    std::ofstream out(path, std::ios::binary);
    const std::string header = recording::DataFileHeaderComposer::compose(info, "").text;
    out << header;
    const int averaging = 256 / rate;
    std::vector<std::uint8_t> bytes(recording::kMaxRecordSize);
    recording::SecondRecord r;
    r.tripleCount = static_cast<std::uint16_t>(rate);
    for (int i = 0; i < seconds; ++i) {
        const std::int64_t s = start + i;
        if (skip && skip(s)) continue;
        const recording::UtcDateTime t = recording::UtcCalendar::fromEpoch(s);
        r.hour = static_cast<std::uint8_t>(t.hour);
        r.minute = static_cast<std::uint8_t>(t.minute);
        r.second = static_cast<std::uint8_t>(t.second);
        for (int k = 0; k < rate; ++k) {
            std::int32_t sum = 0;
            for (int j = 0; j < averaging; ++j) {
                const double v = field(static_cast<double>(s) + (k * averaging + j) / 256.0);
                sum += static_cast<std::int32_t>(std::lround(v / kTestSensitivity));
            }
            r.bx[static_cast<std::size_t>(k)] = sum;
            r.by[static_cast<std::size_t>(k)] = -sum;
            r.bz[static_cast<std::size_t>(k)] = 2 * sum;
        }
        const std::size_t n = recording::SecondRecordEncoder::encode(r, bytes);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(n));
    }
}

}  // namespace zuva::products::testing

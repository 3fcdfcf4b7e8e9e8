#include "products/IagaStationHeader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "products/IagaFormat.h"

namespace zuva::products {

namespace {

std::optional<double> number(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (s.empty()) return std::nullopt;
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc{} || r.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string fixed(double v, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

}  // namespace

std::optional<double> IagaStationHeader::degrees(const std::string& text) {
    std::string_view s = text;
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (s.empty()) return std::nullopt;
    const char h = static_cast<char>(std::toupper(static_cast<unsigned char>(s.back())));
    if (h == 'N' || h == 'S' || h == 'E' || h == 'W') {
        const auto v = number(s.substr(0, s.size() - 1));
        if (!v || *v < 0) return std::nullopt;
        const double whole = std::floor(*v / 100.0);
        const double minutes = *v - whole * 100.0;
        if (minutes >= 60.0) return std::nullopt;
        const double deg = whole + minutes / 60.0;
        return (h == 'S' || h == 'W') ? -deg : deg;
    }
    return number(s);
}

std::optional<double> IagaStationHeader::metres(const std::string& text) {
    std::string_view s = text;
    while (!s.empty() && (s.back() == ' ' || s.back() == 'M' || s.back() == 'm')) s.remove_suffix(1);
    return number(s);
}

IagaHeader IagaStationHeader::make(const settings::StationSettings& station, const PositionTexts& position,
                                   Interval interval) {
    IagaHeader h;
    h.source = station.institute;
    h.stationName = station.name;
    h.iagaCode = station.iagaCode;
    std::string latitude, longitude, elevation;
    if (station.latitude) {
        latitude = fixed(*station.latitude, 3);
    } else if (const auto v = degrees(position.latitude); v && std::fabs(*v) <= 90) {
        latitude = fixed(*v, 3);
    }
    if (station.longitude) {
        longitude = fixed(*station.longitude, 3);
    } else if (const auto v = degrees(position.longitude); v && std::fabs(*v) <= 360) {
        longitude = fixed(*v < 0 ? *v + 360.0 : *v, 3);  // degrees east, 0..360
    }
    if (station.elevation) {
        elevation = fixed(*station.elevation, 0);
    } else if (const auto v = metres(position.altitude)) {
        elevation = fixed(*v, 0);
    }
    h.latitude = latitude;
    h.longitude = longitude;
    h.elevation = elevation;
    h.orientation = station.orientation;
    h.dataType = station.dataType;
    h.intervalType = IagaFormat::intervalTypeText(interval);
    if (interval == Interval::Second) {
        h.comments = {"One-second values centred on the UTC second, low-pass filtered from the 256 Hz samples "
                      "(pass band DC to 0.2 Hz, 24 s wide).",
                      "F is not recorded (88888.00); 99999.00 marks a missing value."};
    } else {
        h.comments = {"One-minute values centred on the minute from the one-second values with INTERMAGNET's "
                      "91-point Gaussian filter.",
                      "F is not recorded (88888.00); 99999.00 marks a missing value."};
    }
    return h;
}

}  // namespace zuva::products

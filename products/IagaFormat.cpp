#include "products/IagaFormat.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "recording/UtcCalendar.h"

namespace zuva::products {

namespace {

constexpr std::size_t kValueColumn = 24;  // column 25, counted from 0
constexpr std::size_t kValueWidth = 45;   // columns 25..69

std::string framed(std::string body) {
    if (body.size() > IagaFormat::kRecordLength - 1) body.resize(IagaFormat::kRecordLength - 1);
    body.append(IagaFormat::kRecordLength - 1 - body.size(), ' ');
    body += "|\n";
    return body;
}

}  // namespace

std::string IagaFormat::intervalTypeText(Interval interval) {
    return interval == Interval::Second ? "1-second" : "1-minute (00:15-01:45)";
}

std::string IagaFormat::headerRecord(std::string_view label, std::string_view value) {
    std::string body = " ";
    body += label;
    if (body.size() < kValueColumn) body.append(kValueColumn - body.size(), ' ');
    body += value.substr(0, kValueWidth);
    return framed(std::move(body));
}

std::string IagaFormat::commentRecords(std::string_view text) {
    // " # " then up to 66 characters of text, broken at a blank where one is near.
    constexpr std::size_t kWidth = kRecordLength - 1 - 3;
    std::string out;
    do {
        std::size_t take = text.size();
        if (take > kWidth) {
            take = kWidth;
            const std::size_t blank = text.substr(0, kWidth + 1).rfind(' ');
            if (blank != std::string_view::npos && blank > kWidth / 2) take = blank;
        }
        out += framed(" # " + std::string(text.substr(0, take)));
        text.remove_prefix(take);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    } while (!text.empty());
    return out;
}

std::string IagaFormat::headerText(const IagaHeader& h) {
    const std::string values[12] = {h.format,    h.source,   h.stationName,      h.iagaCode,
                                    h.latitude,  h.longitude, h.elevation,        h.reported,
                                    h.orientation, h.digitalSampling, h.intervalType, h.dataType};
    std::string out;
    for (std::size_t i = 0; i < 12; ++i) out += headerRecord(kLabels[i], values[i]);
    for (const std::string& c : h.comments) out += commentRecords(c);
    out += columnHeader(h.iagaCode, h.elements());
    return out;
}

std::string IagaFormat::columnHeader(const std::string& code, const std::array<char, 4>& elements) {
    std::string body = "DATE       TIME         DOY     ";
    for (std::size_t i = 0; i < 4; ++i) {
        std::string name = code + elements[i];
        if (i < 3) name.resize(10, ' ');
        body += name;
    }
    return framed(std::move(body));
}

std::string IagaFormat::field(double value) {
    if (!std::isfinite(value)) value = kMissing;
    char text[32];
    int n = std::snprintf(text, sizeof text, " %9.2f", value);
    if (n != 10) n = std::snprintf(text, sizeof text, " %9.2f", kMissing);
    return std::string(text, static_cast<std::size_t>(n));
}

std::string IagaFormat::dataRecord(const FieldValue& value) {
    const recording::UtcDateTime t = recording::UtcCalendar::fromEpoch(value.time);
    char head[40];
    std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d.000 %03d   ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, recording::UtcCalendar::dayOfYear(t.year, t.month, t.day));
    std::string line = head;
    line += field(value.x);
    line += field(value.y);
    line += field(value.z);
    line += field(kNotRecorded);
    line += '\n';
    return line;
}

std::string IagaFormat::fileName(const std::string& code, std::int64_t dayTime, char typeLetter, Interval interval) {
    const recording::UtcDateTime t = recording::UtcCalendar::fromEpoch(dayTime);
    std::string lowerCode = code;
    for (char& c : lowerCode) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", t.year, t.month, t.day);
    const char* kind = interval == Interval::Second ? "sec" : "min";
    return lowerCode + date + static_cast<char>(std::tolower(static_cast<unsigned char>(typeLetter))) + kind + "." + kind;
}

}  // namespace zuva::products

#include "products/IagaFileReader.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "products/IagaFormat.h"
#include "recording/UtcCalendar.h"

namespace zuva::products {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The text of a record without its frame: the "|" of column 70 and what follows.
std::string_view unframed(std::string_view line) {
    const std::size_t bar = line.rfind('|');
    if (bar != std::string_view::npos && trim(line.substr(bar + 1)).empty()) line = line.substr(0, bar);
    return line;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string* headerField(IagaHeader& h, std::string_view label) {
    const std::string l = upper(label);
    if (l == "FORMAT") return &h.format;
    if (l == "SOURCE OF DATA") return &h.source;
    if (l == "STATION NAME") return &h.stationName;
    if (l == "IAGA CODE") return &h.iagaCode;
    if (l == "GEODETIC LATITUDE") return &h.latitude;
    if (l == "GEODETIC LONGITUDE") return &h.longitude;
    if (l == "ELEVATION") return &h.elevation;
    if (l == "REPORTED") return &h.reported;
    if (l == "SENSOR ORIENTATION") return &h.orientation;
    if (l == "DIGITAL SAMPLING") return &h.digitalSampling;
    if (l == "DATA INTERVAL TYPE") return &h.intervalType;
    if (l == "DATA TYPE") return &h.dataType;
    return nullptr;
}

bool parseInt(std::string_view s, int& out) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return std::from_chars(s.data(), s.data() + s.size(), out).ec == std::errc{};
}

bool parseReal(std::string_view s, double& out) {
    s = trim(s);
    if (s.empty()) return false;
    const char* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, out);
    return r.ec == std::errc{} && r.ptr == end && std::isfinite(out);
}

// "YYYY-MM-DD hh:mm:ss.sss" at the start of a data record; the time must be a whole second.
bool parseStamp(std::string_view line, std::int64_t& time, std::string& why) {
    if (line.size() < 23 || line[4] != '-' || line[7] != '-' || line[10] != ' ' || line[13] != ':' ||
        line[16] != ':' || line[19] != '.') {
        why = "no \"YYYY-MM-DD hh:mm:ss.sss\" time stamp at the start";
        return false;
    }
    recording::UtcDateTime t;
    int ms = 0;
    if (!parseInt(line.substr(0, 4), t.year) || !parseInt(line.substr(5, 2), t.month) ||
        !parseInt(line.substr(8, 2), t.day) || !parseInt(line.substr(11, 2), t.hour) ||
        !parseInt(line.substr(14, 2), t.minute) || !parseInt(line.substr(17, 2), t.second) ||
        !parseInt(line.substr(20, 3), ms) || !recording::UtcCalendar::validDate(t.year, t.month, t.day) || t.hour > 23 ||
        t.minute > 59 || t.second > 59) {
        why = "time stamp \"" + std::string(line.substr(0, 23)) + "\" is no valid date and time";
        return false;
    }
    if (ms != 0) {
        why = "time stamp \"" + std::string(line.substr(0, 23)) + "\" is not on a whole second";
        return false;
    }
    time = recording::UtcCalendar::toEpoch(t);
    return true;
}

}  // namespace

IagaFile IagaFileReader::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open: " + std::string(std::strerror(errno)));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw std::runtime_error("cannot read: " + std::string(std::strerror(errno)));
    return parse(text.str());
}

IagaFile IagaFileReader::parse(std::string_view text) {
    IagaFile file;
    file.header = IagaHeader{};
    file.header.format.clear();
    file.header.reported.clear();
    file.header.orientation.clear();
    file.header.digitalSampling.clear();
    file.header.dataType.clear();
    bool columnsSeen = false;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (trim(line).empty()) continue;

        if (!columnsSeen) {
            const std::string_view body = unframed(line);
            if (startsWith(trim(body), "#")) {
                std::string_view c = trim(body).substr(1);
                file.header.comments.emplace_back(trim(c));
                continue;
            }
            if (startsWith(trim(body), "DATE")) {
                std::istringstream words{std::string(body)};
                std::string w;
                std::vector<std::string> names;
                while (words >> w) names.push_back(w);
                if (names.size() != 7 || names[1] != "TIME" || names[2] != "DOY")
                    throw IagaReadError(lineNo, "column header needs DATE, TIME, DOY and four column names");
                for (std::size_t i = 0; i < 4; ++i) {
                    if (names[3 + i].size() < 4)
                        throw IagaReadError(lineNo, "column name \"" + names[3 + i] + "\" is not an IAGA code and an element letter");
                    file.columns[i] = names[3 + i];
                }
                columnsSeen = true;
                continue;
            }
            if (body.size() < 25 || body[0] != ' ')
                throw IagaReadError(lineNo, "neither a header record (label from column 2, value from column 25) "
                                            "nor the column header");
            const std::string_view label = trim(body.substr(1, 23));
            std::string* target = headerField(file.header, label);
            if (target) {
                *target = std::string(trim(body.substr(24)));
                file.headerLabels.emplace_back(label);
            }
            continue;
        }

        // A data record.
        FieldValue v;
        std::string why;
        if (!parseStamp(line, v.time, why)) throw IagaReadError(lineNo, why);
        std::istringstream rest{std::string(line.substr(23))};
        std::string doy;
        std::string fields[4];
        rest >> doy >> fields[0] >> fields[1] >> fields[2] >> fields[3];
        double values[3] = {0, 0, 0};
        for (std::size_t i = 0; i < 3; ++i) {
            if (!parseReal(fields[i], values[i]))
                throw IagaReadError(lineNo, "value " + std::to_string(i + 1) + " \"" + fields[i] + "\" is no number");
            if (values[i] >= IagaFormat::kNotRecorded) values[i] = std::nan("");
        }
        v.x = values[0];
        v.y = values[1];
        v.z = values[2];
        file.records.push_back(v);
    }
    if (!columnsSeen) throw IagaReadError(0, "no column header (DATE TIME DOY ...) found");

    IagaHeader& h = file.header;
    if (h.iagaCode.empty()) h.iagaCode = file.columns[0].substr(0, file.columns[0].size() - 1);
    h.iagaCode = upper(h.iagaCode);
    if (h.reported.empty()) {
        for (const std::string& c : file.columns) h.reported += c.back();
    }
    const std::string type = upper(h.intervalType);
    if (type.find("SECOND") != std::string::npos) {
        file.interval = Interval::Second;
    } else if (type.find("MINUTE") != std::string::npos) {
        file.interval = Interval::Minute;
    } else if (file.records.size() >= 2) {
        const std::int64_t d = file.records[1].time - file.records[0].time;
        if (d == 1) file.interval = Interval::Second;
        if (d == 60) file.interval = Interval::Minute;
    }
    return file;
}

}  // namespace zuva::products

#include "recording/DataFileHeaderReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <optional>
#include <vector>

#include "recording/Cp1251Text.h"
#include "recording/PosixFile.h"

namespace zuva::recording {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view skipLeadingBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimBlanks(std::string_view s) {
    s = skipLeadingBlanks(s);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Trims every control character and blank (as the summary texts are trimmed).
std::string trimControls(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::optional<long long> parseInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value);
    if (text.empty() || res.ec != std::errc() || res.ptr != end) return std::nullopt;
    return value;
}

std::optional<double> parseReal(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || res.ec != std::errc() || res.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The value of element `tag` when the line is that element: the text after
// "<tag>" up to the first "</".
std::optional<std::string_view> elementValue(std::string_view line, std::string_view tag) {
    line = skipLeadingBlanks(line);
    if (line.size() < tag.size() + 2 || line[0] != '<' || line.substr(1, tag.size()) != tag ||
        line[tag.size() + 1] != '>') {
        return std::nullopt;
    }
    std::string_view value = line.substr(tag.size() + 2);
    const std::size_t close = value.find("</");
    if (close != std::string_view::npos) value = value.substr(0, close);
    return value;
}

bool isEndLine(std::string_view line) {
    static constexpr std::string_view kEnd = "</ZUVA_HEADER>";
    if (line.size() < kEnd.size()) return false;
    const std::string_view tail = line.substr(line.size() - kEnd.size());
    for (std::size_t i = 0; i < kEnd.size(); ++i) {
        char c = tail[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kEnd[i]) return false;
    }
    return true;
}

}  // namespace

struct DataFileHeaderReader::ScanState {
    std::string gps;
    bool textCut = false;  // a remarks or GPS text was longer than kMaxInfoTextBytes
    bool sawAveraging = false;
    long long averagingValue = 4;
};

void DataFileHeaderReader::scanLine(std::string_view line, DataFileHeaderScan& scan, ScanState& state) {
    const std::string lineText(line);
    // The date, for placing the records of several files on one timeline.
    const auto datePart = [&line](std::string_view tag, int low, int high, int& out) {
        const auto value = elementValue(line, tag);
        if (!value) return false;
        const auto number = parseInteger(*value);
        out = number && *number >= low && *number <= high ? static_cast<int>(*number) : 0;
        return true;
    };
    if (datePart("year", 1, 9999, scan.year) || datePart("month", 1, 12, scan.month) ||
        datePart("day", 1, 31, scan.day)) {
        return;
    }
    if (const auto value = elementValue(line, "samplingrate")) {
        const auto rate = parseInteger(*value);
        if (!rate || *rate < 1 || *rate > 256) {
            log_.addlogfile("XML: samplingrate: " + lineText);
            scan.FileSamplingRate = 0;
        } else {
            scan.FileSamplingRate = static_cast<std::int32_t>(*rate);
        }
        return;
    }
    if (const auto value = elementValue(line, "sensitivity")) {
        if (const auto s = parseReal(*value)) {
            scan.sensitivity = *s;
        } else {
            log_.addlogfile("XML: sensitivity: " + lineText);
            scan.sensitivity = 1.0;
        }
        return;
    }
    if (const auto value = elementValue(line, "averaging")) {
        state.sawAveraging = true;
        if (const auto a = parseInteger(*value)) {
            state.averagingValue = *a;
        } else {
            log_.addlogfile("XML: averaging: " + lineText);
            state.averagingValue = 4;
        }
        return;
    }
    // The texts are kept within kMaxInfoTextBytes: a header of thousands of GPS lines
    // would otherwise make the summary grow (and be copied) line after line.
    const auto cap = [&state](std::string& text) {
        if (text.size() <= kMaxInfoTextBytes) return;
        text.resize(kMaxInfoTextBytes);
        state.textCut = true;
    };
    if (const auto value = elementValue(line, "remarks")) {
        scan.FileInfoText = value->empty() ? std::string() : "Remarks: " + Cp1251Text::toUtf8(*value) + ". ";
        cap(scan.FileInfoText);
        return;
    }
    if (const auto value = elementValue(line, "longitude")) {
        state.gps = trimControls(state.gps + Cp1251Text::toUtf8(*value));
        if (!state.gps.empty()) state.gps = "GPS data from file: " + state.gps;
        cap(state.gps);
        return;
    }
    if (const auto value = elementValue(line, "lattitude")) {
        state.gps += " " + std::string(*value);
        cap(state.gps);
        return;
    }
    if (const auto value = elementValue(line, "altitude")) {
        state.gps += " " + std::string(*value);
        cap(state.gps);
    }
}

void DataFileHeaderReader::validate(const std::string& name, DataFileHeaderScan& scan, const ScanState& state) {
    long long averaging = state.averagingValue;
    if (!state.sawAveraging && scan.FileSamplingRate > 0 && 256 % scan.FileSamplingRate == 0) {
        averaging = 256 / scan.FileSamplingRate;  // the only factor that fits the rate
    }
    scan.averaging = static_cast<std::uint16_t>(std::clamp(averaging, 0LL, 65535LL));
    if (scan.FileSamplingRate == 0) return;  // the readers report "Error  SamplingRate=0!"

    // A factor that fits lies in 1..256; any other (up to the 64-bit range the value
    // was parsed in) is refused before it is multiplied, so nothing can overflow.
    const bool fits = averaging >= 1 && averaging <= 256 && averaging * scan.FileSamplingRate == 256;
    if (!fits) {
        scan.refusal = "XML: averaging " + std::to_string(averaging) + " does not fit samplingrate " +
                       std::to_string(scan.FileSamplingRate) + ", file refused: " + name;
    } else if (scan.sensitivity == 0.0) {
        scan.refusal = "XML: sensitivity 0 cannot convert counts to nT, file refused: " + name;
    }
    if (!scan.refusal.empty()) {
        log_.addlogfile(scan.refusal);
        scan.FileSamplingRate = 0;
    }
}

DataFileHeaderScan DataFileHeaderReader::ReadDataFileHeader(const std::string& name, double sensitivity) {
    PosixFile file = PosixFile::open(name, O_RDONLY);
    const std::uint64_t fileSize = file.size();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kMaxHeaderScanBytes)));
    bytes.resize(file.readFull(bytes));
    file.close();

    DataFileHeaderScan scan;
    scan.sensitivity = sensitivity;
    ScanState state;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const bool wholeFile = bytes.size() == fileSize;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find_first_of("\r\n", pos);
        if (eol == std::string_view::npos) {
            if (!wholeFile) break;  // the line goes on beyond what is scanned
            eol = text.size();
        }
        std::size_t next = eol;
        if (next < text.size()) {
            next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        }
        const std::string_view line = text.substr(pos, eol - pos);
        scanLine(line, scan, state);
        pos = next;
        if (isEndLine(line)) {
            scan.endFound = true;
            scan.HeaderLength = static_cast<std::int32_t>(pos);
            break;
        }
    }
    if (!scan.endFound) {
        log_.addlogfile("No heading XML in a file: " + name);
        scan.HeaderLength = 0;
    }
    scan.FileInfoText = trimControls(scan.FileInfoText + state.gps);
    if (scan.FileInfoText.size() > kMaxInfoTextBytes) {
        scan.FileInfoText.resize(kMaxInfoTextBytes);
        state.textCut = true;
    }
    if (state.textCut) {
        log_.addlogfile("XML: remarks and GPS texts cut to " + std::to_string(kMaxInfoTextBytes) + " bytes: " + name);
    }
    validate(name, scan, state);
    return scan;
}

}  // namespace zuva::recording

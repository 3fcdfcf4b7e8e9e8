#include "products/IagaChecker.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "products/IagaFormat.h"
#include "recording/UtcCalendar.h"

namespace zuva::products {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool digits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int number(std::string_view s) {
    int v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

class Check {
public:
    explicit Check(std::vector<IagaViolation>& out) : out_(out) {}
    void add(std::size_t line, std::string message) { out_.push_back({line, std::move(message)}); }

private:
    std::vector<IagaViolation>& out_;
};

struct Stamp {
    std::int64_t time = 0;
};

// The data record's time stamp, or a violation.
std::optional<std::int64_t> checkStamp(std::string_view r, std::size_t n, Check& c) {
    const bool layout = r.size() >= 30 && r[4] == '-' && r[7] == '-' && r[10] == ' ' && r[13] == ':' &&
                        r[16] == ':' && r[19] == '.' && r[23] == ' ' && r.substr(27, 3) == "   " &&
                        digits(r.substr(0, 4)) && digits(r.substr(5, 2)) && digits(r.substr(8, 2)) &&
                        digits(r.substr(11, 2)) && digits(r.substr(14, 2)) && digits(r.substr(17, 2)) &&
                        digits(r.substr(20, 3)) && digits(r.substr(24, 3));
    if (!layout) {
        c.add(n, "data record does not begin \"YYYY-MM-DD hh:mm:ss.sss DDD\" and three blanks");
        return std::nullopt;
    }
    recording::UtcDateTime t{number(r.substr(0, 4)), number(r.substr(5, 2)), number(r.substr(8, 2)),
                  number(r.substr(11, 2)), number(r.substr(14, 2)), number(r.substr(17, 2))};
    if (!recording::UtcCalendar::validDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 59) {
        c.add(n, "time stamp \"" + std::string(r.substr(0, 23)) + "\" is no valid date and time");
        return std::nullopt;
    }
    if (r.substr(20, 3) != "000") c.add(n, "time stamp \"" + std::string(r.substr(0, 23)) + "\" is not on a whole second");
    const int doy = recording::UtcCalendar::dayOfYear(t.year, t.month, t.day);
    if (number(r.substr(24, 3)) != doy) {
        char expected[8];
        std::snprintf(expected, sizeof expected, "%03d", doy);
        c.add(n, "day of year " + std::string(r.substr(24, 3)) + " does not match the date (" + expected + ")");
    }
    return recording::UtcCalendar::toEpoch(t);
}

void checkFields(std::string_view r, std::size_t n, Check& c) {
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string_view f = r.substr(30 + 10 * i, 10);
        double v = 0;
        const std::string_view t = trim(f);
        const auto res = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || res.ec != std::errc{} || res.ptr != t.data() + t.size() || IagaFormat::field(v) != f) {
            c.add(n, "field " + std::to_string(i + 1) + " \"" + std::string(f) + "\" is not a blank and F9.2");
            continue;
        }
        if (std::fabs(v) >= IagaFormat::kNotRecorded && v != IagaFormat::kMissing && v != IagaFormat::kNotRecorded)
            c.add(n, "field " + std::to_string(i + 1) + " \"" + std::string(f) +
                         "\" is neither a value nor 99999.00 (missing) nor 88888.00 (not recorded)");
    }
}

}  // namespace

std::vector<IagaViolation> IagaChecker::check(std::string_view text, const std::string& fileName) {
    std::vector<IagaViolation> out;
    Check c(out);
    if (text.empty()) {
        c.add(0, "the file is empty");
        return out;
    }
    if (text.back() != '\n') c.add(0, "the last record has no line end");

    std::size_t headerIndex = 0;  // header records seen in order
    bool columnsSeen = false;
    std::string code;
    std::string reported;
    std::optional<Interval> interval;
    std::string dataType;
    std::optional<std::int64_t> previous;
    std::optional<std::int64_t> firstDay;
    std::size_t n = 0;
    while (!text.empty()) {
        ++n;
        const std::size_t end = text.find('\n');
        std::string_view r = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!r.empty() && r.back() == '\r') r.remove_suffix(1);
        if (r.size() != IagaFormat::kRecordLength) {
            c.add(n, "record has " + std::to_string(r.size()) + " characters, not 70");
            if (r.size() < 30) continue;
        }

        if (!columnsSeen) {
            const bool framed = r.size() == IagaFormat::kRecordLength && r.back() == '|';
            if (r.size() >= 2 && r[0] == ' ' && r[1] == '#') {
                if (!framed) c.add(n, "comment record has no \"|\" in column 70");
                if (headerIndex < 12) c.add(n, "comment record before the twelve header records end");
                continue;
            }
            if (r.substr(0, 4) == "DATE") {
                if (headerIndex < 12)
                    c.add(n, "column header after " + std::to_string(headerIndex) + " of the twelve header records");
                std::array<char, 4> letters{'X', 'Y', 'Z', 'F'};
                for (std::size_t i = 0; i < 4 && i < reported.size(); ++i) letters[i] = reported[i];
                std::string expected = IagaFormat::columnHeader(code, letters);
                expected.pop_back();
                if (r != expected) c.add(n, "column header is not \"" + expected + "\"");
                columnsSeen = true;
                continue;
            }
            if (headerIndex >= 12) {
                c.add(n, "a thirteenth header record or an unknown line before the column header");
                continue;
            }
            const std::string label = IagaFormat::kLabels[headerIndex];
            ++headerIndex;
            if (r[0] != ' ' || r.substr(1, label.size()) != label || trim(r.substr(1 + label.size(), 23 - label.size())) != "") {
                c.add(n, "header record " + std::to_string(headerIndex) + " is not \"" + label +
                             "\" in column 2 with its value from column 25");
                continue;
            }
            if (!framed) c.add(n, "header record has no \"|\" in column 70");
            const std::string_view raw = r.substr(24, std::min<std::size_t>(45, r.size() - 24));
            const std::string_view value = trim(raw);
            if (!value.empty() && raw.front() == ' ') c.add(n, label + " value does not begin in column 25");
            if (label == "Format" && value != "IAGA-2002") c.add(n, "Format is not IAGA-2002");
            if (label == "IAGA Code") {
                code = std::string(value);
                const bool letters = code.size() == 3 && std::all_of(code.begin(), code.end(), [](unsigned char ch) {
                                         return std::isupper(ch) != 0;
                                     });
                if (!letters) c.add(n, "IAGA Code \"" + code + "\" is not three upper-case letters");
            }
            if (label == "Reported") {
                reported = std::string(value);
                if (reported.size() != 4) c.add(n, "Reported \"" + reported + "\" does not name four elements");
            }
            if (label == "Data Interval Type") {
                if (value.substr(0, 8) == "1-second") interval = Interval::Second;
                else if (value.substr(0, 8) == "1-minute") interval = Interval::Minute;
                else c.add(n, "Data Interval Type \"" + std::string(value) + "\" is neither 1-second nor 1-minute");
            }
            if (label == "Data Type") {
                const std::string t = lower(value);
                dataType = t;
                if (t != "variation" && t != "provisional" && t != "quasi-definitive" && t != "definitive")
                    c.add(n, "Data Type \"" + std::string(value) +
                                 "\" is not variation, provisional, quasi-definitive or definitive");
            }
            continue;
        }

        const std::optional<std::int64_t> time = checkStamp(r, n, c);
        if (r.size() >= 70) checkFields(r, n, c);
        if (!time) continue;
        const std::int64_t step = interval ? IagaFormat::step(*interval) : 0;
        if (interval == Interval::Minute && *time % 60 != 0) c.add(n, "one-minute time stamp not on a whole minute");
        if (!firstDay) firstDay = recording::UtcCalendar::dayStart(*time);
        else if (recording::UtcCalendar::dayStart(*time) != *firstDay) c.add(n, "record of another UTC day than the first record");
        if (previous && step != 0 && *time - *previous != step)
            c.add(n, "time stamp is " + std::to_string(*time - *previous) + " s after the one before, not " +
                         std::to_string(step) + " s");
        previous = time;
    }
    if (!columnsSeen) c.add(0, "no column header (DATE TIME DOY ...)");

    if (!fileName.empty()) {
        // <code><yyyymmdd><t><sec|min>.<sec|min>
        const bool shape = fileName.size() == 19 && fileName[15] == '.' && digits(fileName.substr(3, 8));
        if (!shape) {
            c.add(0, "file name \"" + fileName + "\" is not <code><yyyymmdd><t><sec|min>.<sec|min>");
        } else {
            const std::string kind = fileName.substr(12, 3);
            if (kind != fileName.substr(16, 3) || (kind != "sec" && kind != "min"))
                c.add(0, "file name \"" + fileName + "\" does not end in sec.sec or min.min");
            else if (interval && kind != (*interval == Interval::Second ? "sec" : "min"))
                c.add(0, "file name \"" + fileName + "\" does not match the Data Interval Type");
            if (!code.empty() && fileName.substr(0, 3) != lower(code))
                c.add(0, "file name \"" + fileName + "\" does not begin with the IAGA code in lower case");
            const char letter = fileName[11];
            if (letter != 'v' && letter != 'p' && letter != 'q' && letter != 'd')
                c.add(0, "file name \"" + fileName + "\" has no data type letter v, p, q or d");
            else if (!dataType.empty() && dataType.front() != letter)
                c.add(0, "file name \"" + fileName + "\" has the data type letter " + letter + ", the Data Type is " +
                             dataType);
            if (firstDay) {
                const std::string expected = IagaFormat::fileName(code.empty() ? fileName.substr(0, 3) : code, *firstDay,
                                                                  letter, kind == "min" ? Interval::Minute : Interval::Second);
                if (expected.substr(3, 8) != fileName.substr(3, 8))
                    c.add(0, "file name \"" + fileName + "\" does not carry the date of the records");
            }
        }
    }
    return out;
}

std::vector<IagaViolation> IagaChecker::checkFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {{0, "cannot open: " + std::string(std::strerror(errno))}};
    std::ostringstream text;
    text << in.rdbuf();
    const std::size_t slash = path.rfind('/');
    return check(text.str(), slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace zuva::products

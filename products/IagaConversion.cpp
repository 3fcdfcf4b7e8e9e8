#include "products/IagaConversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "products/FilterChain.h"
#include "products/IagaFileReader.h"
#include "products/IagaFormat.h"
#include "products/IagaStationHeader.h"
#include "recording/UtcCalendar.h"
#include "products/ZuvHeaderFacts.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "recording/FileBytes.h"
#include "recording/IoError.h"
#include "recording/PosixFile.h"
#include "recording/TimeEncodeError.h"

namespace zuva::products {

namespace {

constexpr std::int64_t kDaySeconds = 86400;

struct Input {
    std::string path;
    bool zuv = false;
    std::int64_t start = 0;
    std::int64_t date = 0;  // zuv: the start of the day the file began
    recording::DataFileHeaderScan scan;
    PositionTexts position;
    IagaFile iaga;
};

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The time of day of a data file's first record, or nullopt for a file without records.
std::optional<int> firstRecordSecond(const std::string& path, std::int32_t headerLength) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(headerLength);
    unsigned char bytes[4];
    if (!in.read(reinterpret_cast<char*>(bytes), 4)) return std::nullopt;
    return bytes[1] * 3600 + bytes[2] * 60 + bytes[3];
}

// Hands the records of a data file to the chain with their UTC times.
class RecordFeed final : public recording::RecordBlockConsumer {
public:
    RecordFeed(FilterChain& chain, std::int64_t date, std::set<std::int64_t>& days)
        : chain_(chain), date_(date), days_(days) {}
    bool consumeBlock(const recording::RecordBlock& block) override {
        const std::size_t n = block.samplesPerRecord;
        for (std::size_t i = 0; i < block.recordCount; ++i) {
            const int second = block.recordSecond[i];
            // A time of day far before the last one: the records went on past midnight.
            if (last_ && second < *last_ - kDaySeconds / 2) date_ += kDaySeconds;
            last_ = second;
            const std::int64_t t = date_ + second;
            const std::size_t at = i * n;
            if (chain_.addSecond(t, static_cast<int>(n), block.bx.subspan(at, n), block.by.subspan(at, n),
                                 block.bz.subspan(at, n))) {
                days_.insert(recording::UtcCalendar::dayStart(t));
            } else {
                ++leftOut_;
            }
        }
        return true;
    }
    std::size_t leftOut() const { return leftOut_; }

private:
    FilterChain& chain_;
    std::int64_t date_;
    std::set<std::int64_t>& days_;
    std::optional<int> last_;
    std::size_t leftOut_ = 0;
};

// Keeps the values of every day, each in its place.
class DayCollector final : public FieldValueListener {
public:
    using Days = std::map<std::int64_t, std::vector<FieldValue>>;
    void valueReady(Interval interval, const FieldValue& value) override {
        const std::int64_t step = IagaFormat::step(interval);
        if (value.time % step != 0) return;
        const std::int64_t day = recording::UtcCalendar::dayStart(value.time);
        Days& days = interval == Interval::Second ? seconds : minutes;
        auto it = days.find(day);
        if (it == days.end()) {
            std::vector<FieldValue> empty(static_cast<std::size_t>(kDaySeconds / step));
            for (std::size_t i = 0; i < empty.size(); ++i)
                empty[i] = {day + static_cast<std::int64_t>(i) * step, NAN, NAN, NAN};
            it = days.emplace(day, std::move(empty)).first;
        }
        it->second[static_cast<std::size_t>((value.time - day) / step)] = value;
    }
    Days seconds;
    Days minutes;
};

void writeWhole(const std::string& path, const std::string& text) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw IagaConversionError(path + ": cannot be created (" + std::strerror(errno) + ")",
                                  IagaConversionError::Kind::Unreadable);
    int error = recording::FileBytes::writeAll(fd, text) ? 0 : errno;
    if (error == 0 && ::fchmod(fd, 0644) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        throw IagaConversionError(path + ": cannot be written (" + std::strerror(error) + ")",
                                  IagaConversionError::Kind::Unreadable);
    }
}

std::string dayText(const IagaHeader& header, Interval interval, std::int64_t day,
                    const std::vector<FieldValue>* values) {
    std::string text = IagaFormat::headerText(header);
    const std::int64_t step = IagaFormat::step(interval);
    text.reserve(text.size() + static_cast<std::size_t>(kDaySeconds / step) * (IagaFormat::kRecordLength + 1));
    for (std::int64_t t = day; t < day + kDaySeconds; t += step) {
        text += IagaFormat::dataRecord(values ? (*values)[static_cast<std::size_t>((t - day) / step)]
                                              : FieldValue{t, NAN, NAN, NAN});
    }
    return text;
}

char typeLetter(const std::string& dataType) {
    std::string t = dataType;
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (t.rfind("quasi", 0) == 0) return 'q';
    if (t.rfind("def", 0) == 0) return 'd';
    if (t.rfind("prov", 0) == 0) return 'p';
    return 'v';
}

}  // namespace

IagaConversion::Result IagaConversion::run(const Request& request) {
    Result result;
    if (request.inputs.empty()) throw IagaConversionError("no input files");
    std::vector<Input> inputs;
    for (const std::string& path : request.inputs) {
        if (!recording::pathExists(path)) throw IagaConversionError(path + ": not found", IagaConversionError::Kind::Unreadable);
        Input in;
        in.path = path;
        std::optional<ZuvHeaderFacts> facts;
        try {
            facts = ZuvHeaderFacts::read(path);
        } catch (const std::exception& e) {
            throw IagaConversionError(path + ": " + e.what(), IagaConversionError::Kind::Unreadable);
        }
        if (facts) {
            const std::string name = baseName(path);
            if (name.size() > 5 && name.substr(name.size() - 5) == "_.zuv") {
                result.warnings.push_back(path + ": left out, its times come from the PC clock, not from UTC");
                continue;
            }
            in.zuv = true;
            in.position = facts->position;
            in.date = recording::UtcCalendar::daysFromCivil(facts->year, facts->month, facts->day) * kDaySeconds;
            try {
                in.scan = recording::DataFileHeaderReader(log_).ReadDataFileHeader(path);
            } catch (const recording::IoError& e) {
                throw IagaConversionError(path + ": " + e.what(), IagaConversionError::Kind::Unreadable);
            }
            if (in.scan.FileSamplingRate == 0)
                throw IagaConversionError(path + ": no usable sampling rate in its header" +
                                          (in.scan.refusal.empty() ? std::string() : " (" + in.scan.refusal + ")"));
            const auto first = firstRecordSecond(path, in.scan.HeaderLength);
            if (!first) {
                result.warnings.push_back(path + ": left out, it holds no records");
                continue;
            }
            in.start = in.date + *first;
        } else {
            try {
                in.iaga = IagaFileReader::readFile(path);
            } catch (const IagaReadError& e) {
                throw IagaConversionError(path + ": neither a data file nor IAGA-2002 (" + e.what() + ")");
            } catch (const std::exception& e) {
                throw IagaConversionError(path + ": " + e.what(), IagaConversionError::Kind::Unreadable);
            }
            if (in.iaga.interval != Interval::Second)
                throw IagaConversionError(path + ": not a one-second IAGA-2002 file; only those can be converted");
            const std::string& r = in.iaga.header.reported;
            if (r.substr(0, 3) != "XYZ")
                throw IagaConversionError(path + ": its elements are " + r + "; X, Y and Z are needed");
            if (in.iaga.records.empty()) {
                result.warnings.push_back(path + ": left out, it holds no records");
                continue;
            }
            in.start = in.iaga.records.front().time;
        }
        inputs.push_back(std::move(in));
    }
    if (inputs.empty()) throw IagaConversionError("none of the input files holds data to convert");

    // One station: the IAGA code of the settings and of every IAGA-2002 input.
    std::string code;
    std::string codeFrom;
    if (request.station && !request.station->iagaCode.empty()) {
        code = request.station->iagaCode;
        codeFrom = "the settings";
    }
    const Input* headerSource = nullptr;
    for (const Input& in : inputs) {
        if (in.zuv) continue;
        if (!headerSource) headerSource = &in;
        const std::string& c = in.iaga.header.iagaCode;
        if (code.empty()) {
            code = c;
            codeFrom = in.path;
        } else if (c != code) {
            throw IagaConversionError("files of different stations: " + codeFrom + " has " + code + ", " + in.path +
                                      " has " + c);
        }
    }
    if (code.empty())
        throw IagaConversionError("no IAGA code: give --config with a settings file whose section \"Station\" sets IagaCode");

    // The header: the IAGA-2002 input's own values first, then the settings, then GPS.
    settings::StationSettings station = request.station.value_or(settings::StationSettings{});
    station.iagaCode = code;
    PositionTexts position;
    for (const Input& in : inputs) {
        if (in.zuv && !in.position.latitude.empty()) {
            position = in.position;
            break;
        }
    }
    IagaHeader headers[2] = {IagaStationHeader::make(station, position, Interval::Second),
                             IagaStationHeader::make(station, position, Interval::Minute)};
    if (headerSource) {
        const IagaHeader& own = headerSource->iaga.header;
        for (IagaHeader& h : headers) {
            const auto take = [](std::string& to, const std::string& from) {
                if (!from.empty()) to = from;
            };
            take(h.source, own.source);
            take(h.stationName, own.stationName);
            take(h.latitude, own.latitude);
            take(h.longitude, own.longitude);
            take(h.elevation, own.elevation);
            take(h.orientation, own.orientation);
            if (!request.station) take(h.dataType, own.dataType);
        }
    }

    std::stable_sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) { return a.start < b.start; });
    std::set<std::int64_t> days;
    DayCollector collected;
    FilterChain chain(&log_);
    chain.addListener(collected, "conversion");
    bool lastWasZuv = inputs.front().zuv;
    for (const Input& in : inputs) {
        if (in.zuv != lastWasZuv) chain.finish();  // the values of one kind end before the other begins
        lastWasZuv = in.zuv;
        std::size_t leftOut = 0;
        if (in.zuv) {
            RecordFeed feed(chain, in.date, days);
            try {
                recording::DataRecordReader(log_).read(in.path, in.scan, feed);
            } catch (const recording::TimeEncodeError& e) {
                throw IagaConversionError(in.path + ": " + e.what() + " (record at byte " + std::to_string(e.offset()) +
                                          ")");
            } catch (const recording::IoError& e) {
                throw IagaConversionError(in.path + ": " + e.what(), IagaConversionError::Kind::Unreadable);
            }
            leftOut = feed.leftOut();
        } else {
            for (const FieldValue& v : in.iaga.records) {
                if (chain.addSecondValue(v)) days.insert(recording::UtcCalendar::dayStart(v.time));
                else ++leftOut;
            }
        }
        if (leftOut > 0)
            result.warnings.push_back(in.path + ": " + std::to_string(leftOut) +
                                      " seconds at or before a second already taken were left out");
    }
    chain.finish();

    const char letter = typeLetter(headers[0].dataType);
    const std::string dir = request.outDir.empty() ? "." : request.outDir;
    for (const std::int64_t day : days) {
        for (const Interval interval : {Interval::Second, Interval::Minute}) {
            if ((interval == Interval::Second && !request.seconds) || (interval == Interval::Minute && !request.minutes))
                continue;
            const auto& byDay = interval == Interval::Second ? collected.seconds : collected.minutes;
            const auto it = byDay.find(day);
            const std::string path = dir + "/" + IagaFormat::fileName(code, day, letter, interval);
            writeWhole(path, dayText(headers[interval == Interval::Second ? 0 : 1], interval, day,
                                     it == byDay.end() ? nullptr : &it->second));
            result.written.push_back(path);
        }
    }
    return result;
}

}  // namespace zuva::products

#include "products/IagaDayWriter.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "products/IagaFileReader.h"
#include "products/IagaFormat.h"
#include "recording/UtcCalendar.h"

namespace zuva::products {

namespace {

constexpr std::int64_t kDaySeconds = 86400;

std::string timeText(std::int64_t t) {
    const recording::UtcDateTime d = recording::UtcCalendar::fromEpoch(t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                  d.second);
    return text;
}

std::string missingRecord(std::int64_t t) {
    return IagaFormat::dataRecord({t, IagaFormat::kMissing, IagaFormat::kMissing, IagaFormat::kMissing});
}

}  // namespace

IagaDayWriter::IagaDayWriter(recording::FileSystem& fs, recording::LogSink& log, Options options)
    : fs_(fs), log_(log), options_(std::move(options)) {
    streams_[0].interval = Interval::Second;
    streams_[0].header = &options_.secondHeader;
    streams_[1].interval = Interval::Minute;
    streams_[1].header = &options_.minuteHeader;
}

std::string IagaDayWriter::pathOf(const Stream& s, std::int64_t day) const {
    const std::string name = IagaFormat::fileName(s.header->iagaCode, day, options_.typeLetter, s.interval);
    return options_.directory.empty() ? name : options_.directory + "/" + name;
}

std::size_t IagaDayWriter::waitingRecords() const {
    std::size_t n = 0;
    for (const Stream& s : streams_)
        for (const DayFile& f : s.files) n += f.pendingRecords;
    return n;
}

std::string IagaDayWriter::currentFile(Interval interval) const {
    const Stream& s = streams_[interval == Interval::Second ? 0 : 1];
    return s.files.empty() ? std::string() : s.files.back().path;
}

IagaDayWriter::DayFile IagaDayWriter::openDay(Stream& s, std::int64_t day) {
    DayFile f;
    f.path = pathOf(s, day);
    f.day = day;
    f.next = day;
    const std::int64_t step = IagaFormat::step(s.interval);
    if (fs_.exists(f.path)) {
        std::string text;
        std::string why;
        {
            std::ifstream in(f.path, std::ios::binary);
            std::ostringstream all;
            all << in.rdbuf();
            text = all.str();
            if (!in) why = "cannot be read: " + std::string(std::strerror(errno));
        }
        if (why.empty()) {
            const std::size_t lastEnd = text.rfind('\n');
            const std::size_t whole = lastEnd == std::string::npos ? 0 : lastEnd + 1;
            if (whole < text.size()) f.truncateTo = whole;
            text.resize(whole);
            // The header and the last record tell where to go on; the records between
            // are not parsed, so that a restart late in the day costs no noticeable time.
            const std::size_t columns = text.find("\nDATE ");
            if (columns != std::string::npos) {
                const std::size_t headerEnd = text.find('\n', columns + 1);
                if (headerEnd != std::string::npos && headerEnd + 1 < text.size()) {
                    const std::size_t lastStart = text.rfind('\n', text.size() - 2) + 1;
                    if (lastStart > headerEnd) text = text.substr(0, headerEnd + 1) + text.substr(lastStart);
                }
            }
            try {
                const IagaFile file = IagaFileReader::parse(text);
                if (file.header.iagaCode != s.header->iagaCode) {
                    why = "its IAGA code is " + file.header.iagaCode;
                } else if (file.interval && *file.interval != s.interval) {
                    why = "its interval is another";
                } else if (!file.records.empty() && (recording::UtcCalendar::dayStart(file.records.back().time) != day ||
                                                     file.records.back().time % step != 0)) {
                    why = "its last record is not of " + timeText(day).substr(0, 10);
                } else {
                    f.onDisk = true;
                    if (!file.records.empty()) f.next = file.records.back().time + step;
                    f.resumeNote = "IAGA-2002 file " + f.path + " continued" +
                                   (file.records.empty() ? std::string(" after its header")
                                                         : " after " + timeText(file.records.back().time)) +
                                   (f.truncateTo != UINT64_MAX ? ", an incomplete last record cut off" : "");
                }
            } catch (const std::exception& e) {
                why = std::string("it is not IAGA-2002 (") + e.what() + ")";
            }
        }
        if (!f.onDisk) {
            f.truncateTo = UINT64_MAX;
            std::string aside = f.path + ".old";
            for (int n = 2; fs_.exists(aside); ++n) aside = f.path + ".old" + std::to_string(n);
            if (std::rename(f.path.c_str(), aside.c_str()) == 0) {
                log_.addlogfile("IAGA-2002 file " + f.path + " does not fit this station's data (" + why +
                                "); moved to " + aside);
            } else {
                log_.addlogfile("IAGA-2002 file " + f.path + " does not fit this station's data (" + why +
                                ") and cannot be moved aside (" + std::strerror(errno) + "); a new file waits");
            }
        }
    }
    if (!f.onDisk) f.pending = IagaFormat::headerText(*s.header);
    return f;
}

IagaDayWriter::DayFile& IagaDayWriter::dayFile(Stream& s, std::int64_t day) {
    if (!s.files.empty() && s.files.back().day == day) return s.files.back();
    for (auto it = s.files.begin(); it != s.files.end(); ++it) {
        if (it->day == day) {  // the clock went back to a day whose file still waits
            DayFile f = std::move(*it);
            s.files.erase(it);
            s.files.push_back(std::move(f));
            return s.files.back();
        }
    }
    if (!s.files.empty() && s.files.back().day < day) {
        DayFile& done = s.files.back();
        fillUpTo(s, done, done.day + kDaySeconds);
    }
    if (s.files.empty() && fs_.exists(pathOf(s, day - kDaySeconds))) {
        // The first file of this run: the day before may have ended while the
        // program was not running; its file is completed to its last record.
        DayFile before = openDay(s, day - kDaySeconds);
        if (before.onDisk && before.next < before.day + kDaySeconds) {
            fillUpTo(s, before, before.day + kDaySeconds);
            log_.addlogfile(before.resumeNote);
            s.files.push_back(std::move(before));
        }
    }
    s.files.push_back(openDay(s, day));
    if (!s.files.back().resumeNote.empty()) log_.addlogfile(s.files.back().resumeNote);
    return s.files.back();
}

void IagaDayWriter::fillUpTo(Stream& s, DayFile& f, std::int64_t end) {
    const std::int64_t step = IagaFormat::step(s.interval);
    for (; f.next < end; f.next += step) {
        f.pending += missingRecord(f.next);
        ++f.pendingRecords;
    }
}

void IagaDayWriter::valueReady(Interval interval, const FieldValue& value) {
    Stream& s = stream(interval);
    const std::int64_t step = IagaFormat::step(interval);
    if (value.time % step != 0) return;  // not a time of this interval
    DayFile& f = dayFile(s, recording::UtcCalendar::dayStart(value.time));
    if (value.time < f.next) {
        if (!s.skipping)
            log_.addlogfile("IAGA-2002 file " + f.path + " already holds " + timeText(value.time) +
                            "; values up to " + timeText(f.next - step) + " left out");
        s.skipping = true;
    } else if (const std::size_t adding = static_cast<std::size_t>((value.time - f.next) / step) + 1;
               waitingRecords() + adding > options_.maxWaitingRecords &&
               (flush(s), waitingRecords() + adding > options_.maxWaitingRecords)) {
        if (!s.dropping)
            log_.addlogfile("IAGA-2002 files: " + std::to_string(waitingRecords()) +
                            " records wait to be written; newer values are left out and written as missing");
        s.dropping = true;
    } else {
        s.skipping = false;
        if (s.dropping) log_.addlogfile("IAGA-2002 files: values are taken again from " + timeText(value.time));
        s.dropping = false;
        fillUpTo(s, f, value.time);
        f.pending += IagaFormat::dataRecord(value);
        ++f.pendingRecords;
        f.next = value.time + step;
    }
    flush(s);
}

void IagaDayWriter::retry() {
    for (Stream& s : streams_) flush(s);
}

void IagaDayWriter::flush(Stream& s) {
    for (DayFile& f : s.files) {
        if (f.pending.empty() && f.truncateTo == UINT64_MAX) continue;
        const std::size_t records = f.pendingRecords;
        const bool ok = write(s, f);
        if (ok && f.failing) {
            log_.addlogfile("IAGA-2002 file " + f.path + " written again, " + std::to_string(records) +
                            " waiting records caught up");
        }
        if (ok) f.failing = false;
    }
    while (s.files.size() > 1 && s.files.front().pending.empty() && s.files.front().onDisk &&
           s.files.front().truncateTo == UINT64_MAX) {
        s.files.pop_front();
    }
}

bool IagaDayWriter::write(Stream& s, DayFile& f) {
    int fd = -1;
    int error = 0;
    const auto fail = [&](int err, const char* what) {
        if (fd >= 0) fs_.closeFile(fd);
        if (!f.failing)
            log_.addlogfile("IAGA-2002 file " + f.path + ": cannot " + what + " (" + std::strerror(err) + "); " +
                            std::to_string(f.pendingRecords) + " records wait and are tried again");
        f.failing = true;
        return false;
    };
    bool unnamed = false;
    if (!f.onDisk) {
        // The header and the records so far in an unnamed file, named once whole.
        const std::size_t slash = f.path.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : f.path.substr(0, slash);
        error = fs_.openFile(dir, O_TMPFILE | O_WRONLY, 0644, fd);
        unnamed = error == 0;
        if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL) {
            // No unnamed files here (FAT, network file systems): the file is made
            // under its name, never over an existing one.
            error = fs_.openFile(f.path, O_WRONLY | O_CREAT | O_EXCL, 0644, fd);
        }
        if (error != 0) return fail(error, "create it");
    } else {
        if ((error = fs_.openFile(f.path, O_WRONLY | O_APPEND, 0, fd)) != 0) {
            if (error == ENOENT) {
                // Gone while the program runs: made again, the records it held as missing.
                log_.addlogfile("IAGA-2002 file " + f.path + " has gone; it is made again");
                const std::int64_t step = IagaFormat::step(s.interval);
                DayFile fresh;
                fresh.next = f.day;
                fillUpTo(s, fresh, f.next - static_cast<std::int64_t>(f.pendingRecords) * step);
                f.pending = IagaFormat::headerText(*s.header) + fresh.pending + f.pending;
                f.pendingRecords += fresh.pendingRecords;
                f.onDisk = false;
                f.truncateTo = UINT64_MAX;
                return write(s, f);
            }
            return fail(error, "open it");
        }
        if (f.truncateTo != UINT64_MAX) {
            if ((error = fs_.truncateFile(fd, f.truncateTo)) != 0) return fail(error, "cut off its incomplete record");
            f.truncateTo = UINT64_MAX;
        }
    }
    std::size_t done = 0;
    while (done < f.pending.size()) {
        std::size_t written = 0;
        if ((error = fs_.writeSome(fd, f.pending.data() + done, f.pending.size() - done, written)) != 0) break;
        done += written;
    }
    if (unnamed) {
        if (error == 0) error = fs_.linkOpenFile(fd, f.path);
        if (error != 0) return fail(error, "write it");  // nothing of it has a name yet
        f.onDisk = true;
    } else {
        f.onDisk = true;  // made under its name: what went in stays
        // What went in stays; the rest waits. Whole records are counted.
        const std::size_t recordBytes = IagaFormat::kRecordLength + 1;
        f.pending.erase(0, done);
        const std::size_t recordsLeft = (f.pending.size() + recordBytes - 1) / recordBytes;
        f.pendingRecords = std::min(f.pendingRecords, recordsLeft);
        if (error != 0) return fail(error, "write it");
    }
    f.pending.clear();
    f.pendingRecords = 0;
    if ((error = fs_.closeFile(fd)) != 0) {
        fd = -1;
        return fail(error, "close it");
    }
    return true;
}

}  // namespace zuva::products

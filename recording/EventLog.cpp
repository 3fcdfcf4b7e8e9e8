#include "recording/EventLog.h"

#include "recording/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "recording/UtcCalendar.h"

namespace zuva::recording {

namespace {


std::tm toTm(const LocalDateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    const std::int64_t days = UtcCalendar::daysFromCivil(t.year, t.month, t.day);
    tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    tm.tm_yday = UtcCalendar::dayOfYear(t.year, t.month, t.day) - 1;
    tm.tm_isdst = -1;
    return tm;
}

std::string formatTime(const std::string& pattern, const std::tm& tm) {
    if (pattern.empty()) return {};
    std::vector<char> buffer(64);
    for (int attempt = 0; attempt < 6; ++attempt) {
        const std::size_t n = std::strftime(buffer.data(), buffer.size(), pattern.c_str(), &tm);
        if (n > 0) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
    return {};  // a pattern that yields nothing (e.g. only "%p" in a locale without AM/PM)
}

}  // namespace

EventLog::EventLog(const Clock& clock, LocaleFormats formats) : clock_(clock), formats_(std::move(formats)) {}

std::string EventLog::formatLine(const std::string& message) const {
    const std::tm tm = toTm(clock_.now());
    return formatTime(formats_.shortDateFormat, tm) + " " + formatTime(formats_.longTimeFormat, tm) + ": " + message;
}

int EventLog::appendToFile(const std::string& line) {
    const int fd = ::open(kFileName, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    // The whole line goes in one write call, so a process killed at any moment
    // leaves the line written or not at all. Only a write cut short (disk full)
    // leaves a part; that part is cut off again, so that the next line does not
    // continue it in the middle of the file.
    const std::string text = line + "\r\n";
    struct stat before {};
    const bool sizeKnown = ::fstat(fd, &before) == 0;
    int error = FileBytes::writeAll(fd, text) ? 0 : errno;
    struct stat after {};
    if (error != 0 && sizeKnown && ::fstat(fd, &after) == 0 && after.st_size > before.st_size) {
        while (::ftruncate(fd, before.st_size) != 0 && errno == EINTR) {
        }
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    return error;
}

void EventLog::addlogfile(const std::string& message) {
    const std::string line = formatLine(message);
    const int error = appendToFile(line);
    show(line);
    if (error == 0) {
        failing_ = false;
        mirror(message, line, Delivery::Written);
        return;
    }
    if (!failing_) {
        failing_ = true;
        const std::string notice = "Error: the log file " + std::string(kFileName) + " cannot be written: " +
                                   std::strerror(error) + " (I/O error " + std::to_string(error) + ")";
        const std::string noticeLine = formatLine(notice);
        show(noticeLine);
        mirror(notice, noticeLine, Delivery::Notice);
    }
    mirror(message, line, Delivery::NotWritten);
}

void EventLog::mirror(const std::string& message, const std::string& line, Delivery delivery) {
    if (!mirror_) return;
    try {
        mirror_(message, line, delivery);
    } catch (...) {
        // A second copy that fails must not stop the one who logs.
    }
}

int EventLog::addLineObserver(LineObserver observer) {
    const int id = nextObserverId_++;
    lineObservers_.emplace_back(id, std::move(observer));
    return id;
}

void EventLog::removeLineObserver(int id) {
    std::erase_if(lineObservers_, [id](const auto& entry) { return entry.first == id; });
}

void EventLog::show(const std::string& line) {
    if (lines_.size() >= kLinesShown) lines_.pop_front();
    editText_ = line;
    lines_.push_back(line);
    for (const auto& entry : lineObservers_) {
        try {
            entry.second(line);
        } catch (...) {
            // An observer that fails must not stop the one who logs.
        }
    }
    if (!onChanged_) return;
    try {
        onChanged_();
    } catch (...) {
        // A window that fails to show the list must not stop the one who logs.
    }
}

}  // namespace zuva::recording

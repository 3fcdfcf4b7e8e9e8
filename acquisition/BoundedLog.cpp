#include "acquisition/BoundedLog.h"

namespace zuva::acquisition {

std::int64_t BoundedLog::minuteOf(const recording::LocalDateTime& t) {
    return ((((static_cast<std::int64_t>(t.year) * 12 + t.month) * 31 + t.day) * 24 + t.hour) * 60) + t.minute;
}

void BoundedLog::turnTo(std::int64_t minute) {
    if (minute_ && *minute_ == minute) return;
    minute_ = minute;
    writeSummaries();
    written_.fill(0);
}

void BoundedLog::writeSummaries() {
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        const std::uint64_t left = leftOut_[k];
        leftOut_[k] = 0;
        if (left > 0) {
            log_.addlogfile(std::string(kKinds[k].name) + ": " + std::to_string(left) + " more in the last minute");
        }
    }
}

void BoundedLog::flush() { writeSummaries(); }

void BoundedLog::poll() { turnTo(minuteOf(clock_.now())); }

void BoundedLog::addlogfile(const std::string& message) {
    std::size_t kind = kKinds.size();
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        if (message.compare(0, kKinds[k].prefix.size(), kKinds[k].prefix) == 0) {
            kind = k;
            break;
        }
    }
    // A line in a later minute first closes the counts of the minute before.
    turnTo(minuteOf(clock_.now()));
    if (kind == kKinds.size()) {
        log_.addlogfile(message);
        return;
    }
    if (written_[kind] < kPerMinute) {
        ++written_[kind];
        log_.addlogfile(message);
        return;
    }
    ++leftOut_[kind];
    ++suppressedTotal_;
}

}  // namespace zuva::acquisition

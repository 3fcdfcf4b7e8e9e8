#include "service/DiskSpaceWatch.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "recording/SecondRecordEncoder.h"

namespace zuva::service {

DiskSpaceWatch::DiskSpaceWatch(recording::LogSink& log,
                               std::function<std::optional<std::uint64_t>(const std::string&)> freeBytes,
                               std::function<std::string()> directory, std::size_t recordBytes)
    : log_(log), freeBytes_(std::move(freeBytes)), directory_(std::move(directory)), recordBytes_(recordBytes) {}

std::optional<std::uint64_t> DiskSpaceWatch::statvfsFreeBytes(const std::string& directory) {
    struct statvfs info {};
    if (::statvfs(directory.empty() ? "." : directory.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

std::string DiskSpaceWatch::daysText(double days) {
    char text[48];
    std::snprintf(text, sizeof text, "%.1f", days);
    return text;
}

std::optional<double> DiskSpaceWatch::check() {
    const std::string directory = directory_ ? directory_() : std::string();
    const std::string shown = directory.empty() ? std::string(".") : directory;
    const auto free = freeBytes_ ? freeBytes_(directory) : std::nullopt;
    if (!free || recordBytes_ == 0) {
        daysLeft_.reset();
        if (!unreadable_) log_.addlogfile("Error: free disk space not readable for " + shown);
        unreadable_ = true;
        return std::nullopt;
    }
    unreadable_ = false;
    const double days = static_cast<double>(*free) / (static_cast<double>(recordBytes_) * 86400.0);
    daysLeft_ = days;
    if (!checked_) {
        log_.addlogfile("Disk space: " + daysText(days) + " days of recording left in " + shown);
    }
    checked_ = true;
    if (days < kWarnBelowDays) {
        if (!warned_) {
            log_.addlogfile("Warning: disk space for only " + daysText(days) + " days of recording left in " + shown);
        }
        warned_ = true;
    } else {
        warned_ = false;
    }
    return days;
}

void DiskSpaceWatch::secondCompleted(const acquisition::CompletedSecond& second) {
    if (second.averaging > 0) {
        recordBytes_ = recording::SecondRecordEncoder::recordSize(256u / second.averaging);
    }
    if (!checked_ || ++secondsSinceCheck_ >= kCheckEverySeconds) {
        secondsSinceCheck_ = 0;
        check();
    }
}

}  // namespace zuva::service

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "acquisition/SecondListener.h"
#include "recording/LogSink.h"

namespace zuva::service {

// How many days of recording the output file system still holds at the current
// rate (the size of one second's record times 86400 a day). Checked at start and
// then every 3600 completed seconds; the first check is logged, and one warning line
// is written when fewer than 7 days remain (again only after the space has been back
// above that for a check).
class DiskSpaceWatch final : public acquisition::SecondListener {
public:
    static constexpr double kWarnBelowDays = 7.0;
    static constexpr int kCheckEverySeconds = 3600;

    // freeBytes: bytes an unprivileged writer may still use on the file system of a
    // directory (nullopt when it cannot be read). directory: the output directory in
    // force ("" is the current directory).
    DiskSpaceWatch(recording::LogSink& log, std::function<std::optional<std::uint64_t>(const std::string&)> freeBytes,
                   std::function<std::string()> directory, std::size_t recordBytes);

    // The bytes of one second's record (changes with the sampling rate).
    void setRecordBytes(std::size_t bytes) { recordBytes_ = bytes; }
    // One check now; returns the days left (nullopt when the space cannot be read).
    std::optional<double> check();
    void secondCompleted(const acquisition::CompletedSecond& second) override;

    // The last result; nullopt before the first check or when it could not be read.
    std::optional<double> daysLeft() const { return daysLeft_; }

    // The free space of a directory's file system by statvfs (blocks for unprivileged users).
    static std::optional<std::uint64_t> statvfsFreeBytes(const std::string& directory);
    // "12.3" days as the log shows them.
    static std::string daysText(double days);

private:
    recording::LogSink& log_;
    std::function<std::optional<std::uint64_t>(const std::string&)> freeBytes_;
    std::function<std::string()> directory_;
    std::size_t recordBytes_;
    std::optional<double> daysLeft_;
    bool checked_ = false;
    bool warned_ = false;
    bool unreadable_ = false;
    int secondsSinceCheck_ = 0;
};

}  // namespace zuva::service

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "acquisition/FrameDate.h"

namespace zuva::products {

// A run of missing seconds within a reported day.
struct ReportGap {
    int start = 0;   // first missing second, seconds after midnight
    int length = 0;  // missing seconds
    bool operator==(const ReportGap&) const = default;
};

// The health of one UTC day of recording. The period is the whole day, except on the
// day the recording began, which starts at its first second. Values that only the
// running logger knows (filled samples, errors, losses, backlog, clock, disk) are
// empty when the report is made from the data files.
struct DailyReport {
    acquisition::FrameDate date;
    int periodStart = 0;      // seconds after midnight
    int periodEnd = 86399;    // last second of the period
    std::uint64_t recordedSeconds = 0;
    std::vector<ReportGap> gaps;
    std::optional<std::uint64_t> filledSeconds;   // seconds with samples filled from a neighbour
    std::optional<std::uint64_t> frameErrors;
    std::optional<std::uint64_t> portLosses;
    std::optional<std::uint64_t> backlogEvents;   // times the data file writing fell behind
    std::optional<double> clockOffsetMedian;      // PC minus instrument, seconds
    std::optional<double> clockOffsetExtreme;     // the measurement farthest from zero
    std::optional<double> diskDaysLeft;

    std::uint64_t expectedSeconds() const { return static_cast<std::uint64_t>(periodEnd - periodStart + 1); }
    // Recorded of expected seconds in per cent, cut (not rounded) to three decimals,
    // so that a day with one second missing never shows 100.000.
    double completenessPercent() const;
};

// The seconds of one day that were recorded; turns them into a report's recorded
// count and gaps. A second recorded twice counts once.
class DayCoverage {
public:
    explicit DayCoverage(acquisition::FrameDate date) : date_(date), seen_(86400, false) {}

    const acquisition::FrameDate& date() const { return date_; }
    void add(int secondOfDay);
    // The first second recorded (nullopt when none).
    std::optional<int> first() const { return first_; }
    // Recorded seconds and gaps over periodStart..periodEnd, into report.
    void fill(DailyReport& report) const;

private:
    acquisition::FrameDate date_;
    std::vector<bool> seen_;
    std::optional<int> first_;
};

// The median of a set of values (the mean of the two middle ones for an even count)
// and the value farthest from zero; nullopt for none.
std::optional<double> medianOf(std::vector<double> values);
std::optional<double> extremeOf(const std::vector<double>& values);

}  // namespace zuva::products

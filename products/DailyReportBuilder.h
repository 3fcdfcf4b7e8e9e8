#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/SecondListener.h"
#include "acquisition/StreamCounters.h"
#include "products/DailyReport.h"
#include "recording/LogSink.h"

namespace zuva::products {

// Gathers the daily report while the logger records. Each completed second marks its
// second of the day; when a second of a new date arrives (UTC midnight by the
// instrument's clock), the finished day is reported: written as text and JSON into
// the output directory and summed up in one log line. The day the recording began
// starts at its first second; every later day at 00:00:00.
//
// Frame errors are the difference of the stream's counters over the day; port
// losses, write-backlog events and clock offsets are told to it as they happen.
class DailyReportBuilder final : public acquisition::SecondListener {
public:
    struct Sources {
        std::function<acquisition::StreamCounters()> counters;  // running counts since start
        std::function<std::optional<double>()> diskDaysLeft;
        std::function<std::string()> directory;                  // where the report goes
    };

    DailyReportBuilder(recording::LogSink& log, Sources sources);

    void secondCompleted(const acquisition::CompletedSecond& second) override;
    void portLost() { ++portLosses_; }
    void backlogStarted() { ++backlogEvents_; }
    void clockOffset(double seconds) { offsets_.push_back(seconds); }

    // The report of the day under way so far, ending at periodEnd; nullopt before
    // the first second.
    std::optional<DailyReport> current(int periodEnd = 86399) const;
    // The last day reported.
    const std::optional<DailyReport>& lastReport() const { return last_; }

private:
    void finishDay();

    recording::LogSink& log_;
    Sources sources_;
    std::unique_ptr<DayCoverage> day_;
    int periodStart_ = 0;
    acquisition::StreamCounters atDayStart_{};
    std::uint64_t filled_ = 0;
    std::uint64_t portLosses_ = 0;
    std::uint64_t backlogEvents_ = 0;
    std::vector<double> offsets_;
    std::optional<DailyReport> last_;
};

}  // namespace zuva::products

#include "products/DailyReportBuilder.h"

#include <cstring>
#include <utility>

#include "products/DailyReportFiles.h"
#include "products/DailyReportText.h"

namespace zuva::products {

DailyReportBuilder::DailyReportBuilder(recording::LogSink& log, Sources sources)
    : log_(log), sources_(std::move(sources)) {}

void DailyReportBuilder::secondCompleted(const acquisition::CompletedSecond& second) {
    const int secondOfDay = second.time.hour * 3600 + second.time.minute * 60 + second.time.second;
    if (day_ && !(day_->date() == second.date)) {
        finishDay();
        day_.reset();
    }
    if (!day_) {
        // The first day starts with the recording; later days at midnight.
        periodStart_ = last_ ? 0 : secondOfDay;
        day_ = std::make_unique<DayCoverage>(second.date);
        if (sources_.counters) atDayStart_ = sources_.counters();
        filled_ = 0;
        portLosses_ = 0;
        backlogEvents_ = 0;
        offsets_.clear();
    }
    day_->add(secondOfDay);
    if (second.filledSamples > 0) ++filled_;
}

std::optional<DailyReport> DailyReportBuilder::current(int periodEnd) const {
    if (!day_) return std::nullopt;
    DailyReport report;
    report.date = day_->date();
    report.periodStart = periodStart_;
    report.periodEnd = periodEnd < periodStart_ ? periodStart_ : periodEnd;
    day_->fill(report);
    report.filledSeconds = filled_;
    const acquisition::StreamCounters now = sources_.counters ? sources_.counters() : acquisition::StreamCounters{};
    report.frameErrors = now.frameErrors - atDayStart_.frameErrors;
    report.portLosses = portLosses_;
    report.backlogEvents = backlogEvents_;
    report.clockOffsetMedian = medianOf(offsets_);
    report.clockOffsetExtreme = extremeOf(offsets_);
    if (sources_.diskDaysLeft) report.diskDaysLeft = sources_.diskDaysLeft();
    return report;
}

void DailyReportBuilder::finishDay() {
    const std::optional<DailyReport> report = current();
    if (!report) return;
    last_ = report;
    const std::string directory = sources_.directory ? sources_.directory() : std::string();
    const DailyReportFiles::Result written = DailyReportFiles::write(*report, directory);
    if (written.error != 0) {
        log_.addlogfile("Error: daily report not written: " + written.textPath + ": " + std::strerror(written.error));
    }
    log_.addlogfile(DailyReportText::logLine(*report, written.textPath));
}

}  // namespace zuva::products

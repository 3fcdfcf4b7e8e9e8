#include "products/DailyReportText.h"

#include <cmath>
#include <cstdio>

namespace zuva::products {

namespace {

constexpr const char* kUnknown = "not in the data files";

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string percentText(double percent) { return format("%.3f", percent); }

std::string secondsText(double seconds) { return format("%+.3f", std::fabs(seconds) < 0.0005 ? 0.0 : seconds); }

std::string countText(const std::optional<std::uint64_t>& value) {
    return value ? std::to_string(*value) : std::string(kUnknown);
}

std::string countJson(const std::optional<std::uint64_t>& value) {
    return value ? std::to_string(*value) : std::string("null");
}

std::string realJson(const std::optional<double>& value, const char* pattern) {
    if (!value) return "null";
    return format(pattern, std::fabs(*value) < 0.0005 ? 0.0 : *value);
}

}  // namespace

std::string DailyReportText::isoDate(const acquisition::FrameDate& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string DailyReportText::clockText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

std::string DailyReportText::baseName(const acquisition::FrameDate& date) {
    return acquisition::fileDateText(date) + "-report";
}

std::string DailyReportText::text(const DailyReport& r) {
    std::string t;
    t += "ZUVA-7k daily report " + isoDate(r.date) + " (UTC)\n";
    t += "Period: " + clockText(r.periodStart) + " - " + clockText(r.periodEnd) + "\n";
    t += "Expected seconds: " + std::to_string(r.expectedSeconds()) + "\n";
    t += "Recorded seconds: " + std::to_string(r.recordedSeconds) + "\n";
    t += "Completeness: " + percentText(r.completenessPercent()) + " %\n";
    t += "Gaps: " + std::to_string(r.gaps.size()) + "\n";
    for (const ReportGap& g : r.gaps) t += "  " + clockText(g.start) + "  " + std::to_string(g.length) + " s\n";
    t += "Seconds with filled samples: " + countText(r.filledSeconds) + "\n";
    t += "Frame errors: " + countText(r.frameErrors) + "\n";
    t += "Port losses: " + countText(r.portLosses) + "\n";
    t += "Write-backlog events: " + countText(r.backlogEvents) + "\n";
    t += "Clock offset median (PC minus instrument): " +
         (r.clockOffsetMedian ? secondsText(*r.clockOffsetMedian) + " s" : std::string(kUnknown)) + "\n";
    t += "Clock offset extreme: " +
         (r.clockOffsetExtreme ? secondsText(*r.clockOffsetExtreme) + " s" : std::string(kUnknown)) + "\n";
    t += "Disk days left: " + (r.diskDaysLeft ? format("%.1f", *r.diskDaysLeft) : std::string(kUnknown)) + "\n";
    return t;
}

std::string DailyReportText::json(const DailyReport& r) {
    std::string j = "{\n";
    j += "  \"date\": \"" + isoDate(r.date) + "\",\n";
    j += "  \"periodStart\": \"" + clockText(r.periodStart) + "\",\n";
    j += "  \"periodEnd\": \"" + clockText(r.periodEnd) + "\",\n";
    j += "  \"expectedSeconds\": " + std::to_string(r.expectedSeconds()) + ",\n";
    j += "  \"recordedSeconds\": " + std::to_string(r.recordedSeconds) + ",\n";
    j += "  \"completenessPercent\": " + percentText(r.completenessPercent()) + ",\n";
    j += "  \"gaps\": [";
    for (std::size_t i = 0; i < r.gaps.size(); ++i) {
        j += i == 0 ? "\n" : ",\n";
        j += "    {\"start\": \"" + clockText(r.gaps[i].start) + "\", \"seconds\": " + std::to_string(r.gaps[i].length) +
             "}";
    }
    j += r.gaps.empty() ? "],\n" : "\n  ],\n";
    j += "  \"filledSeconds\": " + countJson(r.filledSeconds) + ",\n";
    j += "  \"frameErrors\": " + countJson(r.frameErrors) + ",\n";
    j += "  \"portLosses\": " + countJson(r.portLosses) + ",\n";
    j += "  \"backlogEvents\": " + countJson(r.backlogEvents) + ",\n";
    j += "  \"clockOffsetMedianSeconds\": " + realJson(r.clockOffsetMedian, "%.3f") + ",\n";
    j += "  \"clockOffsetExtremeSeconds\": " + realJson(r.clockOffsetExtreme, "%.3f") + ",\n";
    j += "  \"diskDaysLeft\": " + realJson(r.diskDaysLeft, "%.1f") + "\n";
    j += "}\n";
    return j;
}

std::string DailyReportText::logLine(const DailyReport& r, const std::string& textPath) {
    std::string line = "Daily report " + isoDate(r.date) + ": " + std::to_string(r.recordedSeconds) + " of " +
                       std::to_string(r.expectedSeconds()) + " s recorded (" + percentText(r.completenessPercent()) +
                       " %), " + std::to_string(r.gaps.size()) + " gaps";
    if (r.filledSeconds) line += ", " + std::to_string(*r.filledSeconds) + " s with filled samples";
    if (r.frameErrors) line += ", " + std::to_string(*r.frameErrors) + " frame errors";
    if (r.portLosses) line += ", " + std::to_string(*r.portLosses) + " port losses";
    if (r.backlogEvents) line += ", " + std::to_string(*r.backlogEvents) + " backlog events";
    return line + "; " + textPath;
}

}  // namespace zuva::products

#pragma once

#include <string>

#include "products/DailyReport.h"

namespace zuva::products {

// The daily report as text for people, as JSON for programs, and as the one
// event-log line that sums it up. Values not known (a report made from the data
// files alone) show as "not in the data files" and as JSON null.
class DailyReportText {
public:
    // "YYYYMMDD-report": the report files are this plus ".txt" and ".json".
    static std::string baseName(const acquisition::FrameDate& date);
    static std::string text(const DailyReport& report);
    static std::string json(const DailyReport& report);
    // "Daily report 2024-06-30: 86390 of 86400 s recorded (99.988 %), 2 gaps, ..."
    static std::string logLine(const DailyReport& report, const std::string& textPath);

    static std::string isoDate(const acquisition::FrameDate& date);
    static std::string clockText(int secondOfDay);
};

}  // namespace zuva::products

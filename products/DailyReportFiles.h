#pragma once

#include <string>

#include "products/DailyReport.h"

namespace zuva::products {

// Writes a daily report as "YYYYMMDD-report.txt" and "YYYYMMDD-report.json" into a
// directory (beside the data files), each replaced whole so that a crash never
// leaves half a report.
class DailyReportFiles {
public:
    struct Result {
        std::string textPath;
        std::string jsonPath;
        int error = 0;  // 0, or the errno of the first file that could not be written
    };
    // directory "" is the current directory.
    static Result write(const DailyReport& report, const std::string& directory);
};

}  // namespace zuva::products

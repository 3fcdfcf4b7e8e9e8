#pragma once

#include <string>
#include <vector>

namespace zuva::tools {

// zuva-file report FILE...: the daily report of each UTC day the data files hold,
// made from their records alone (the date from each file's name, "YYYYMMDD..."),
// written as "YYYYMMDD-report.txt" and ".json" beside the day's first file and
// printed. The earliest day starts at its first record, every other at 00:00:00.
// Returns the exit status (0, 1 file missing or unreadable, 3 data that cannot be read).
int runReport(const std::vector<std::string>& files);

}  // namespace zuva::tools

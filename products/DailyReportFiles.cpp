#include "products/DailyReportFiles.h"

#include "products/DailyReportText.h"
#include "settings/AtomicFileWriter.h"

namespace zuva::products {

DailyReportFiles::Result DailyReportFiles::write(const DailyReport& report, const std::string& directory) {
    Result result;
    std::string base = directory;
    if (!base.empty() && base.back() != '/') base += '/';
    base += DailyReportText::baseName(report.date);
    result.textPath = base + ".txt";
    result.jsonPath = base + ".json";
    result.error = settings::AtomicFileWriter::replace(result.textPath, DailyReportText::text(report));
    const int jsonError = settings::AtomicFileWriter::replace(result.jsonPath, DailyReportText::json(report));
    if (result.error == 0) result.error = jsonError;
    return result;
}

}  // namespace zuva::products

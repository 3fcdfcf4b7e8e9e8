#include "products/DailyReport.h"

#include <algorithm>
#include <cmath>

namespace zuva::products {

double DailyReport::completenessPercent() const {
    const auto expected = expectedSeconds();
    if (expected == 0) return 0.0;
    const std::uint64_t thousandths = recordedSeconds * 100000 / expected;
    return static_cast<double>(thousandths) / 1000.0;
}

void DayCoverage::add(int secondOfDay) {
    if (secondOfDay < 0 || secondOfDay >= 86400) return;
    seen_[static_cast<std::size_t>(secondOfDay)] = true;
    if (!first_ || secondOfDay < *first_) first_ = secondOfDay;
}

void DayCoverage::fill(DailyReport& report) const {
    report.recordedSeconds = 0;
    report.gaps.clear();
    int gapStart = -1;
    for (int s = report.periodStart; s <= report.periodEnd; ++s) {
        if (seen_[static_cast<std::size_t>(s)]) {
            ++report.recordedSeconds;
            if (gapStart >= 0) report.gaps.push_back({gapStart, s - gapStart});
            gapStart = -1;
        } else if (gapStart < 0) {
            gapStart = s;
        }
    }
    if (gapStart >= 0) report.gaps.push_back({gapStart, report.periodEnd + 1 - gapStart});
}

std::optional<double> medianOf(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::optional<double> extremeOf(const std::vector<double>& values) {
    if (values.empty()) return std::nullopt;
    return *std::max_element(values.begin(), values.end(),
                             [](double a, double b) { return std::fabs(a) < std::fabs(b); });
}

}  // namespace zuva::products

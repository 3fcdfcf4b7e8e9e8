#include "display/TimeOfDayTicker.h"

#include <array>
#include <cmath>

#include "display/TimeOfDayText.h"

namespace zuva::display {

namespace {

struct Step {
    double milliseconds;
    int subTicks;
};

// Readable steps of a clock, with the sub-ticks that divide them evenly.
constexpr std::array<Step, 27> kSteps{{
    {1, 0},           {2, 1},           {5, 4},           {10, 4},         {20, 3},        {50, 4},
    {100, 4},         {200, 3},         {500, 4},         {1000, 4},       {2000, 3},      {5000, 4},
    {10000, 4},       {15000, 2},       {30000, 5},       {60000, 5},      {120000, 3},    {300000, 4},
    {600000, 4},      {900000, 2},      {1800000, 5},     {3600000, 5},    {7200000, 3},   {10800000, 2},
    {21600000, 5},    {43200000, 5},    {86400000, 5},
}};

}  // namespace

double TimeOfDayTicker::getTickStep(const QCPRange& range) {
    const double target = range.size() / (static_cast<double>(mTickCount) + 1e-10);
    const double targetMs = target / kMillisecond;
    if (!(targetMs > kSteps.front().milliseconds)) return kSteps.front().milliseconds * kMillisecond;
    if (targetMs > kSteps.back().milliseconds) {
        // Spans of days: whole days with the plain numeric steps.
        const double days = cleanMantissa(target);
        return std::max(1.0, std::round(days));
    }
    double best = kSteps.front().milliseconds;
    for (const Step& s : kSteps) {
        if (std::fabs(s.milliseconds - targetMs) < std::fabs(best - targetMs)) best = s.milliseconds;
    }
    return best * kMillisecond;
}

int TimeOfDayTicker::getSubTickCount(double tickStep) {
    const double ms = tickStep / kMillisecond;
    for (const Step& s : kSteps) {
        if (std::fabs(s.milliseconds - ms) < 1e-6 * s.milliseconds) return s.subTicks;
    }
    return 4;
}

QString TimeOfDayTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    return QString::fromStdString(TimeOfDayText::format(tick));
}

}  // namespace zuva::display

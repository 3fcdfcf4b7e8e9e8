#pragma once

#include <qcustomplot.h>

namespace zuva::display {

// Ticks for an axis whose coordinate is the time of day as a fraction of a day:
// steps of whole milliseconds, seconds, minutes or hours (never finer than 1 ms),
// labels "hh:mm:ss.zzz".
class TimeOfDayTicker : public QCPAxisTicker {
public:
    static constexpr double kMillisecond = 1.0 / 86'400'000.0;

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;
};

}  // namespace zuva::display

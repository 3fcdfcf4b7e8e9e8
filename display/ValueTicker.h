#pragma once

#include <qcustomplot.h>

namespace zuva::display {

// Ticks for a value axis in nT: QCustomPlot's readable steps, optionally never finer
// than a smallest step, labelled "#,##0.####" (more decimals only when the step is
// finer than 0.0001, so that neighbouring labels never read the same).
class ValueTicker : public QCPAxisTicker {
public:
    void setMinimumStep(double step) { minimumStep_ = step; }
    double minimumStep() const { return minimumStep_; }
    void setSeparators(char decimalSeparator, char groupSeparator);

protected:
    double getTickStep(const QCPRange& range) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

private:
    double minimumStep_ = 0.0;
    double lastStep_ = 1.0;
    char decimalSeparator_ = '.';
    char groupSeparator_ = ',';
};

}  // namespace zuva::display

#include "display/ValueTicker.h"

#include "display/ValueText.h"

namespace zuva::display {

void ValueTicker::setSeparators(char decimalSeparator, char groupSeparator) {
    decimalSeparator_ = decimalSeparator;
    groupSeparator_ = groupSeparator;
}

double ValueTicker::getTickStep(const QCPRange& range) {
    double step = QCPAxisTicker::getTickStep(range);
    if (minimumStep_ > 0.0 && step < minimumStep_) step = minimumStep_;
    lastStep_ = step;
    return step;
}

QString ValueTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    return QString::fromStdString(
        ValueText::format(tick, ValueText::decimalsForStep(lastStep_), decimalSeparator_, groupSeparator_));
}

}  // namespace zuva::display

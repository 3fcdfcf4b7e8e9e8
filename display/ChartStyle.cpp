#include "display/ChartStyle.h"

#include <QFontMetrics>
#include <qcustomplot.h>

#include "display/TimeOfDayTicker.h"
#include "display/ValueTicker.h"

namespace zuva::display {

QFont ChartStyle::labelFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("DejaVu Serif"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(kLabelPixelSize);
    return font;
}

QFont ChartStyle::titleFont() {
    QFont font = labelFont();
    font.setBold(true);
    return font;
}

void ChartStyle::styleTimeAxis(QCPAxis* axis) {
    axis->setTicker(QSharedPointer<QCPAxisTicker>(new TimeOfDayTicker(axis)));
    axis->setTickLabelFont(labelFont());
    axis->setTickLengthIn(0);
    axis->setSubTickLengthIn(0);
    axis->setTickLengthOut(4);
    axis->setSubTickLengthOut(2);
}

void ChartStyle::styleValueAxis(QCPAxis* axis, const QString& title, double minimumStep) {
    auto ticker = QSharedPointer<ValueTicker>(new ValueTicker);
    ticker->setMinimumStep(minimumStep);
    axis->setTicker(ticker);
    axis->setTickLabelFont(labelFont());
    axis->setLabel(title);
    axis->setLabelFont(titleFont());
    axis->setLabelPadding(2);
    axis->setTickLengthIn(0);
    axis->setSubTickLengthIn(0);
    axis->setTickLengthOut(4);
    axis->setSubTickLengthOut(2);
}

void ChartStyle::reserveValueLabelArea(QCPAxisRect* rect) {
    // Title (rotated, so its height counts), its padding, the label area, the ticks.
    const int title = QFontMetrics(titleFont()).height();
    const QMargins current = rect->minimumMargins();
    rect->setMinimumMargins(QMargins(title + 2 + kValueLabelArea + 4 + 5, current.top(), current.right(),
                                     current.bottom()));
}

}  // namespace zuva::display

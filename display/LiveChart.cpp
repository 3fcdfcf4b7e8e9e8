#include "display/LiveChart.h"

#include "display/ChartStyle.h"
#include "display/ValueTicker.h"

namespace zuva::display {

LiveChart::LiveChart(const QString& valueTitle, QWidget* parent) : QCustomPlot(parent) {
    setPanelColour(ChartStyle::panelColour());
    axisRect()->setBackground(Qt::NoBrush);
    legend->setVisible(false);
    setNotAntialiasedElements(QCP::aeAll);
    setPlottingHint(QCP::phFastPolylines, true);

    ChartStyle::styleTimeAxis(xAxis);
    ChartStyle::styleValueAxis(yAxis, valueTitle, 0.0);
    ChartStyle::reserveValueLabelArea(axisRect());
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);

    series_ = addGraph(xAxis, yAxis);
    series_->setPen(QPen(ChartStyle::lineColour(), 1));
    series_->setLineStyle(QCPGraph::lsLine);
    series_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    series_->setAdaptiveSampling(true);

    // Automatic ranges: fitted to the data just before each redraw.
    connect(this, &QCustomPlot::beforeReplot, this, &LiveChart::fitRanges);
}

void LiveChart::setPanelColour(const QColor& colour) {
    panel_ = colour;
    setBackground(QBrush(colour));
}

void LiveChart::setMinimumValueStep(double step) {
    if (auto ticker = yAxis->ticker().dynamicCast<ValueTicker>()) ticker->setMinimumStep(step);
}

double LiveChart::minimumValueStep() const {
    if (auto ticker = yAxis->ticker().dynamicCast<ValueTicker>()) return ticker->minimumStep();
    return 0.0;
}

bool LiveChart::canBeSeen() const {
    const QWidget* top = window();
    return isVisible() && !(top != nullptr && top->isMinimized());
}

void LiveChart::requestRedraw() {
    stale_ = true;
    // A hidden or minimized chart is not drawn: no drawing work until it shows again.
    if (canBeSeen()) replot(rpQueuedReplot);
}

void LiveChart::paintEvent(QPaintEvent* event) {
    QCustomPlot::paintEvent(event);
    // Shown again after a redraw was skipped: bring the picture up to date.
    if (stale_) replot(rpQueuedReplot);
}

void LiveChart::fitRanges() {
    stale_ = false;
    if (series_->data()->isEmpty()) return;
    series_->rescaleAxes(false);
}

}  // namespace zuva::display

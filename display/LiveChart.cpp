#include "display/LiveChart.h"

#include "display/ChartStyle.h"
#include "display/ValueTicker.h"

#include <cmath>

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

    series_ = new LiveSeriesGraph(xAxis, yAxis, points_);
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

namespace {

// A range of zero size keeps the axis' current size around the one value.
void fit(QCPAxis* axis, double lower, double upper) {
    if (lower < upper) {
        axis->setRange(lower, upper);
    } else {
        const double half = axis->range().size() / 2.0;
        axis->setRange(lower - half, lower + half);
    }
}

}  // namespace

void LiveChart::fitRanges() {
    stale_ = false;
    const std::size_t n = points_.size();
    if (n == 0) return;
    // Keys: first to last point that is not an empty one (an empty point only ever
    // stands between two real ones, or first after the front has moved on).
    const std::size_t first = std::isnan(points_.valueAt(0)) && n > 1 ? 1 : 0;
    fit(xAxis, points_.keyAt(first), points_.keyAt(n - 1));
    const LivePointStore::Range values = points_.minMax(0, n);
    if (values.any()) fit(yAxis, values.min, values.max);
}

}  // namespace zuva::display

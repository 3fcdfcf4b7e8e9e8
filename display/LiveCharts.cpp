#include "display/LiveCharts.h"

#include "display/ChartStyle.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuva::display {

namespace {

bool isPlottable(const acquisition::ChartPoint& p) {
    return std::isfinite(p.x) && p.x >= 0.0 && p.x < 1.0 && std::isfinite(p.bx) && std::isfinite(p.by) &&
           std::isfinite(p.bz);
}

}  // namespace

LiveCharts::LiveCharts(QWidget* chartParent, QObject* parent) : QObject(parent) {
    static const char* const kTitles[kCharts] = {"Bx, nT", "By, nT", "Bz, nT"};
    for (int i = 0; i < kCharts; ++i) {
        auto* chart = new LiveChart(QString::fromLatin1(kTitles[i]), chartParent);
        chart->setObjectName(QStringLiteral("Chart%1").arg(i));
        charts_[static_cast<std::size_t>(i)] = chart;
    }
    charts_[0]->setMinimumValueStep(0.0001);
    connect(charts_[0], &QCustomPlot::afterReplot, this, &LiveCharts::noteChart0Drawn);
    for (auto& chart : charts_) connect(chart, &QCustomPlot::afterReplot, this, &LiveCharts::alignValueAxes);
}

void LiveCharts::alignValueAxes() {
    // The stacked charts share their time span; a value label wider than the 50 px area
    // widens its chart's margin, and the others follow so that their time axes line up.
    int widest = 0;
    for (auto& chart : charts_) widest = std::max(widest, chart->axisRect()->margins().left());
    for (auto& chart : charts_) {
        QCPAxisRect* rect = chart->axisRect();
        QMargins m = rect->minimumMargins();
        if (m.left() < widest) {
            m.setLeft(widest);
            rect->setMinimumMargins(m);
            chart->replot(QCustomPlot::rpQueuedReplot);
        }
    }
}

LiveCharts::~LiveCharts() {
    // Charts without a parent window belong to this object.
    for (auto& chart : charts_) {
        if (chart && chart->parent() == nullptr) delete chart.data();
    }
}

void LiveCharts::noteChart0Drawn() { rule_.noteDrawn(charts_[0]->pointCount()); }

void LiveCharts::report(const std::string& message) const {
    if (log_) log_(message);
}

void LiveCharts::addPoints(std::span<const acquisition::ChartPoint> points) {
    LivePointStore& s0 = charts_[0]->points();
    LivePointStore& s1 = charts_[1]->points();
    LivePointStore& s2 = charts_[2]->points();
    std::size_t skipped = 0;
    for (const acquisition::ChartPoint& p : points) {
        if (!isPlottable(p)) {
            ++skipped;
            continue;
        }
        // More than a second without points: the seconds between are missing (port
        // lost, seconds lost). An empty point breaks the line, so nothing is drawn across.
        if (hasLast_ && p.x - lastX_ > kGapDays) {
            const double key = 0.5 * (lastX_ + p.x);
            const double none = std::numeric_limits<double>::quiet_NaN();
            s0.append(key, none);
            s1.append(key, none);
            s2.append(key, none);
            ++gaps_;
        }
        hasLast_ = true;
        lastX_ = p.x;
        s0.append(p.x, p.bx);
        s1.append(p.x, p.by);
        s2.append(p.x, p.bz);
        // Index 0 is the point with the smallest key: the oldest, while time runs forward.
        const int remove = rule_.pointsToDelete(static_cast<int>(s0.size()));
        for (int i = 0; i < remove; ++i) {
            s0.removeFirst();
            s1.removeFirst();
            s2.removeFirst();
        }
    }
    if (skipped > 0) {
        report("Chart: " + std::to_string(skipped) +
               " point(s) skipped: time outside 00:00:00-23:59:59.999 or a value that is not a number");
    }
    for (auto& chart : charts_) chart->requestRedraw();
}

void LiveCharts::ResetAxisAndSeries() {
    // Bx, By, Bz in that order. The last drawn index keeps its value until the next redraw.
    for (auto& chart : charts_) chart->points().clear();
    hasLast_ = false;
    // New data may need narrower value labels: the aligned margins start afresh.
    for (auto& chart : charts_) ChartStyle::reserveValueLabelArea(chart->axisRect());
    for (auto& chart : charts_) chart->requestRedraw();
}

void LiveCharts::setPointsOnScreen(int points) {
    if (!rule_.setPointsOnScreen(points)) {
        report("Chart: points on screen " + std::to_string(points) + " out of range, using " +
               std::to_string(rule_.pointsOnScreen()));
    }
}

}  // namespace zuva::display

namespace zuva::display {

QColor LiveCharts::panelColour(int index) const {
    return chart(index)->panelColour();
}

void LiveCharts::setAlarm(bool alarm) {
    if (alarm == alarm_) return;
    alarm_ = alarm;
    for (auto& chart : charts_) {
        chart->setPanelColour(alarm ? ChartStyle::alarmPanelColour() : ChartStyle::panelColour());
        chart->replot(QCustomPlot::rpQueuedReplot);
    }
}

}  // namespace zuva::display

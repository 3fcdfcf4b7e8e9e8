#pragma once

#include <qcustomplot.h>

#include "display/LivePointStore.h"
#include "display/LiveSeriesGraph.h"

namespace zuva::display {

// One live strip chart (Chart0, Chart1 or Chart2): one red line series, automatic
// ranges, time-of-day bottom axis "hh:mm:ss.zzz", value axis "#,##0.####" with a
// bold title such as "Bx, nT". The series' points are held in points(); each redraw
// draws their min/max envelope per pixel column. Redraws are queued and skipped while
// the chart cannot be seen; a chart that missed one redraws when it is painted again.
class LiveChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit LiveChart(const QString& valueTitle, QWidget* parent = nullptr);

    LiveSeriesGraph* series() const { return series_; }
    LivePointStore& points() { return points_; }
    const LivePointStore& points() const { return points_; }
    int pointCount() const { return static_cast<int>(points_.size()); }

    // Chart0's value axis never steps finer than 0.0001; 0 lets the axis choose freely.
    void setMinimumValueStep(double step);
    double minimumValueStep() const;

    // Asks for one redraw once the main thread is idle; cheap to call repeatedly.
    void requestRedraw();
    bool redrawPending() const { return stale_; }

    // The colour of the panel behind the axes.
    void setPanelColour(const QColor& colour);
    QColor panelColour() const { return panel_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitRanges();
    bool canBeSeen() const;

    LivePointStore points_;
    LiveSeriesGraph* series_ = nullptr;
    bool stale_ = false;
    QColor panel_;
};

}  // namespace zuva::display

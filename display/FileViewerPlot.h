#pragma once

#include <QDate>
#include <QLabel>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include <qcustomplot.h>

#include "display/FileViewerData.h"

namespace zuva::display {

// The plot of a recorded file: Bx, By and Bz stacked, sharing one time-of-day axis
// (x = fraction of the day). It holds every sample (FileViewerData) and gives each
// graph only what one redraw needs for the visible range: the min/max envelope per
// pixel column, or every single sample once zoomed in that far (EnvelopeSampler).
//
// Mouse wheel zooms the time axis around the cursor, Ctrl with the wheel zooms the
// value axis of the component under the cursor, dragging pans the time, a double
// click (or resetView) goes back to the whole file. Moving the mouse shows the time
// and the three values of the sample nearest the cursor in a read-out line. While a
// file loads, appendBlock only stores; the picture follows at most every
// kRedrawIntervalMs.
//
// Several files make one timeline: times are seconds after the midnight of an
// origin date (setOrigin), so the axis shows dates where the view crosses midnight.
class FileViewerPlot : public QCustomPlot {
    Q_OBJECT
public:
    using LogFunction = std::function<void(const std::string&)>;
    static constexpr int kComponents = 3;
    static constexpr int kRedrawIntervalMs = 250;
    static constexpr double kSecondsPerDay = 86400.0;
    // Zooming stops at 10 ms across the view and at two days.
    static constexpr double kNarrowestSpan = 0.01 / kSecondsPerDay;
    static constexpr double kWidestSpan = 2.0;  // or the whole data, when longer
    // Sample marks appear when neighbouring samples are at least this many pixels apart.
    static constexpr double kPixelsPerSampleForMarks = 6.0;

    explicit FileViewerPlot(QWidget* parent = nullptr);

    // One block of consecutive samples of the file being loaded: times as seconds of
    // the day, values in nT.
    void appendBlock(const double* secondsOfDay, const double* bx, const double* by, const double* bz,
                     std::size_t n);
    void clear();

    const FileViewerData& samples() const { return data_; }
    QCPAxisRect* componentRect(int k) const { return rects_.at(static_cast<std::size_t>(k)); }
    QCPGraph* componentGraph(int k) const { return graphs_.at(static_cast<std::size_t>(k)); }
    QCPAxis* timeAxis(int k) const { return componentRect(k)->axis(QCPAxis::atBottom); }

    QCPRange visibleRange() const { return timeAxis(0)->range(); }
    // Shows the given time range (fractions of the day) as a zoom or pan would.
    void setVisibleRange(const QCPRange& range);
    // Zooms the time axis by factor (< 1 zooms in) around the given time, as the wheel does.
    void zoomAround(double factor, double centre);
    bool followsWholeFile() const { return following_; }
    bool showsSamples() const { return showsSamples_; }
    int columnsUsed() const { return columns_; }

    // Rebuilds the graphs for the current view at once (the throttle does it later).
    void refreshNow();

    void setLog(LogFunction log) { log_ = std::move(log); }

    // Day 0 of the time axis (the day of the earliest file); none: time of day only.
    void setOrigin(const QDate& origin);
    QDate origin() const { return origin_; }

    // The read-out of the sample nearest the given axis time (days after the
    // origin's midnight): "2009-08-19 13:45:02.250  Bx 50 nT  By -50 nT  Bz 100 nT";
    // "... no data" when the nearest sample is more than a second away; empty
    // without samples.
    QString readoutAt(double key) const;
    QString readout() const;
    // Zooms the value axis of component k by factor (< 1 zooms in) around value centre;
    // the component then keeps its value range until resetView.
    void zoomValueAround(int k, double factor, double centre);
    bool valueZoomed(int k) const { return valueZoomed_.at(static_cast<std::size_t>(k)); }

public slots:
    // Back to the whole file.
    void resetView();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void onTimeRangeChanged(const QCPRange& range);
    void onThrottle();
    void onAfterReplot();
    void applyRange(QCPRange range);
    void rebuildGraphs();
    int plotColumns() const;
    QCPRange wholeFile() const;
    void report(const std::string& message) const;

    FileViewerData data_;
    std::array<QCPAxisRect*, kComponents> rects_{};
    std::array<QCPGraph*, kComponents> graphs_{};
    QTimer throttle_;
    bool following_ = true;
    bool settingRange_ = false;
    bool showsSamples_ = false;
    int columns_ = 0;
    LogFunction log_;
    QDate origin_;
    std::array<bool, kComponents> valueZoomed_{};
    QLabel* readout_ = nullptr;
};

}  // namespace zuva::display

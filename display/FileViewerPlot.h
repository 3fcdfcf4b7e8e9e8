#pragma once

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
// Mouse wheel zooms the time axis around the cursor, dragging pans it, a double
// click (or resetView) goes back to the whole file. While a file loads, appendBlock
// only stores; the picture follows at most every kRedrawIntervalMs.
class FileViewerPlot : public QCustomPlot {
    Q_OBJECT
public:
    using LogFunction = std::function<void(const std::string&)>;
    static constexpr int kComponents = 3;
    static constexpr int kRedrawIntervalMs = 250;
    static constexpr double kSecondsPerDay = 86400.0;
    // Zooming stops at 10 ms across the view and at two days.
    static constexpr double kNarrowestSpan = 0.01 / kSecondsPerDay;
    static constexpr double kWidestSpan = 2.0;
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

public slots:
    // Back to the whole file.
    void resetView();

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
};

}  // namespace zuva::display

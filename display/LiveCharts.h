#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <span>
#include <string>

#include "acquisition/ChartFeed.h"
#include "display/ChartWindowRule.h"
#include "display/EnvelopeSampler.h"
#include "display/LiveChart.h"

namespace zuva::display {

// The three live charts Chart0, Chart1, Chart2 (Bx, By, Bz) fed once per completed
// second. Each batch appends to the three series with the window rule applied point
// by point (ChartWindowRule) and asks for one queued redraw per chart. The last drawn
// index of Series0 is taken from Chart0's real redraws.
//
// The charts are children of chartParent; the window that holds them places them.
class LiveCharts : public QObject, public acquisition::ChartFeed {
    Q_OBJECT
public:
    using LogFunction = std::function<void(const std::string&)>;
    static constexpr int kCharts = 3;

    explicit LiveCharts(QWidget* chartParent, QObject* parent = nullptr);
    ~LiveCharts() override;

    void addPoints(std::span<const acquisition::ChartPoint> points) override;
    void ResetAxisAndSeries() override;

    // PointsOnScreen: sampling rate x minutes on screen x 60.
    void setPointsOnScreen(int points);
    int pointsOnScreen() const { return rule_.pointsOnScreen(); }
    int lastDrawnIndex() const { return rule_.lastDrawnIndex(); }

    LiveChart* chart(int index) const { return charts_.at(static_cast<std::size_t>(index)); }
    int pointCount(int index) const { return chart(index)->pointCount(); }

    // A jump of the time of more than this (the viewer's gap, 1 s and 1 ms, in days)
    // between two points is a gap: an empty point between them breaks the line.
    static constexpr double kGapDays = EnvelopeSampler::kGapSeconds / 86400.0;
    // Gaps broken since the start.
    int gapsBroken() const { return gaps_; }

    // While data is missing the charts' background takes the warning colour.
    void setAlarm(bool alarm);
    bool alarm() const { return alarm_; }
    // The panel colour chart `index` is drawn with.
    QColor panelColour(int index) const;

    // Where skipped points and refused settings are reported; none by default.
    void setLog(LogFunction log) { log_ = std::move(log); }

private:
    void noteChart0Drawn();
    void alignValueAxes();
    void report(const std::string& message) const;

    std::array<QPointer<LiveChart>, kCharts> charts_;
    ChartWindowRule rule_;
    LogFunction log_;
    bool hasLast_ = false;
    double lastX_ = 0.0;
    int gaps_ = 0;
    bool alarm_ = false;
};

}  // namespace zuva::display

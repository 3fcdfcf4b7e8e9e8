#include "display/FileViewerPlot.h"

#include <algorithm>
#include <cmath>

#include "display/ChartStyle.h"
#include "display/EnvelopeSampler.h"
#include "display/TimeOfDayTicker.h"
#include "display/ValueText.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace zuva::display {

FileViewerPlot::FileViewerPlot(QWidget* parent) : QCustomPlot(parent) {
    static const char* const kTitles[kComponents] = {"Bx, nT", "By, nT", "Bz, nT"};
    setBackground(QBrush(ChartStyle::panelColour()));
    setNotAntialiasedElements(QCP::aeAll);
    setPlottingHint(QCP::phFastPolylines, true);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);

    plotLayout()->clear();
    plotLayout()->setRowSpacing(0);
    auto* margins = new QCPMarginGroup(this);
    for (int k = 0; k < kComponents; ++k) {
        auto* rect = new QCPAxisRect(this, true);
        plotLayout()->addElement(k, 0, rect);
        rect->setBackground(Qt::NoBrush);
        rect->axis(QCPAxis::atTop)->setVisible(false);
        rect->axis(QCPAxis::atRight)->setVisible(false);
        QCPAxis* time = rect->axis(QCPAxis::atBottom);
        QCPAxis* value = rect->axis(QCPAxis::atLeft);
        ChartStyle::styleTimeAxis(time);
        ChartStyle::styleValueAxis(value, QString::fromLatin1(kTitles[k]), 0.0);
        ChartStyle::reserveValueLabelArea(rect);
        // One time axis for the three: only the lowest shows its labels.
        time->setTickLabels(k == kComponents - 1);
        rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
        rect->setRangeDrag(Qt::Horizontal);
        rect->setRangeZoom(Qt::Horizontal);
        rect->setRangeDragAxes(time, nullptr);
        rect->setRangeZoomAxes(time, nullptr);

        QCPGraph* graph = addGraph(time, value);
        graph->setPen(QPen(ChartStyle::lineColour(), 1));
        graph->setLineStyle(QCPGraph::lsLine);
        // The envelope is already one or two points per pixel column.
        graph->setAdaptiveSampling(false);
        rects_[static_cast<std::size_t>(k)] = rect;
        graphs_[static_cast<std::size_t>(k)] = graph;
        connect(time, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
                &FileViewerPlot::onTimeRangeChanged);
    }
    applyRange(QCPRange(0.0, 1.0));

    throttle_.setSingleShot(true);
    throttle_.setInterval(kRedrawIntervalMs);
    connect(&throttle_, &QTimer::timeout, this, &FileViewerPlot::onThrottle);
    connect(this, &QCustomPlot::afterReplot, this, &FileViewerPlot::onAfterReplot);
    connect(this, &QCustomPlot::mouseDoubleClick, this, &FileViewerPlot::resetView);

    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("Readout"));
    readout_->setTextFormat(Qt::PlainText);
    readout_->setAutoFillBackground(true);
    readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
    readout_->move(4, 2);
    readout_->hide();
    setMouseTracking(true);
}

void FileViewerPlot::setOrigin(const QDate& origin) {
    origin_ = origin;
    for (QCPAxisRect* rect : rects_) {
        if (auto ticker = rect->axis(QCPAxis::atBottom)->ticker().dynamicCast<TimeOfDayTicker>())
            ticker->setOrigin(origin);
    }
    replot(rpQueuedReplot);
}

QString FileViewerPlot::readoutAt(double key) const {
    if (data_.size() == 0 || !std::isfinite(key)) return {};
    const double t = key * kSecondsPerDay;
    std::size_t best = 0;
    double bestTime = 0.0;
    bool found = false;
    for (const SampleTimeline::Run& run : data_.timeline().runs()) {
        if (run.count == 0) continue;
        const std::size_t i = SampleTimeline::firstOffsetAtOrAfter(run, t);
        for (std::size_t o : {i == 0 ? std::size_t{0} : i - 1, std::min(i, run.count - 1)}) {
            const double time = run.timeAt(o);
            if (!found || std::fabs(time - t) < std::fabs(bestTime - t)) {
                best = run.first + o;
                bestTime = time;
                found = true;
            }
        }
    }
    if (!found) return {};
    QString when;
    {
        TimeOfDayTicker dated;
        dated.setOrigin(origin_);
        const double at = std::fabs(bestTime - t) > 1.0 ? key : bestTime / kSecondsPerDay;
        when = dated.label(at, TimeOfDayTicker::Form::Milliseconds, false);
        if (origin_.isValid()) {
            const auto day = static_cast<long long>(std::floor(at));
            when = origin_.addDays(day).toString(QStringLiteral("yyyy-MM-dd ")) + when;
        }
    }
    if (std::fabs(bestTime - t) > 1.0) return when + QStringLiteral("  no data");
    static const char* const kNames[kComponents] = {"Bx", "By", "Bz"};
    QString text = when;
    for (std::size_t k = 0; k < FileViewerData::kComponents; ++k) {
        const double v = static_cast<double>(data_.component(k).value(best));
        text += QStringLiteral("  %1 %2 nT").arg(QLatin1String(kNames[k]), QString::fromStdString(ValueText::format(v)));
    }
    return text;
}

QString FileViewerPlot::readout() const { return readout_->isVisible() ? readout_->text() : QString(); }

void FileViewerPlot::mouseMoveEvent(QMouseEvent* event) {
    QCustomPlot::mouseMoveEvent(event);
    const QPointF pos = event->position();
    const QString text = readoutAt(timeAxis(0)->pixelToCoord(pos.x()));
    readout_->setText(text);
    readout_->adjustSize();
    readout_->setVisible(!text.isEmpty() && componentRect(0)->left() <= pos.x() && pos.x() <= componentRect(0)->right());
}

void FileViewerPlot::zoomValueAround(int k, double factor, double centre) {
    if (k < 0 || k >= kComponents || !(factor > 0.0) || !std::isfinite(centre)) return;
    valueZoomed_[static_cast<std::size_t>(k)] = true;
    componentRect(k)->axis(QCPAxis::atLeft)->scaleRange(factor, centre);
    replot(rpQueuedReplot);
}

void FileViewerPlot::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QCustomPlot::wheelEvent(event);
        return;
    }
    const QPointF pos = event->position();
    for (int k = 0; k < kComponents; ++k) {
        QCPAxisRect* rect = componentRect(k);
        if (!rect->rect().contains(pos.toPoint())) continue;
        const double steps = event->angleDelta().y() / 120.0;
        zoomValueAround(k, std::pow(0.85, steps), rect->axis(QCPAxis::atLeft)->pixelToCoord(pos.y()));
        break;
    }
    event->accept();
}

void FileViewerPlot::report(const std::string& message) const {
    if (log_) log_(message);
}

void FileViewerPlot::appendBlock(const double* secondsOfDay, const double* bx, const double* by,
                                 const double* bz, std::size_t n) {
    if (n == 0) return;
    if (secondsOfDay == nullptr || bx == nullptr || by == nullptr || bz == nullptr) {
        report("Viewer: a block of " + std::to_string(n) + " samples came without its data and was skipped");
        return;
    }
    const std::size_t skipped = data_.appendBlock(secondsOfDay, bx, by, bz, n);
    if (skipped > 0) {
        report("Viewer: " + std::to_string(skipped) + " sample(s) skipped: time or value not a finite number");
    }
    if (!throttle_.isActive()) throttle_.start();
}

void FileViewerPlot::clear() {
    throttle_.stop();
    data_.clear();
    for (QCPGraph* g : graphs_) g->data()->clear();
    following_ = true;
    showsSamples_ = false;
    valueZoomed_.fill(false);
    readout_->hide();
    replot(rpQueuedReplot);
}

void FileViewerPlot::onThrottle() {
    if (following_) {
        applyRange(wholeFile());
    }
    rebuildGraphs();
    replot(rpQueuedReplot);
}

QCPRange FileViewerPlot::wholeFile() const {
    double earliest = 0.0;
    double latest = 0.0;
    if (!data_.timeline().span(earliest, latest)) return QCPRange(0.0, 1.0);
    // The view is half open, [from, to): a millisecond more keeps the last sample in it.
    return QCPRange(earliest / kSecondsPerDay, (latest + 0.001) / kSecondsPerDay);
}

void FileViewerPlot::resetView() {
    following_ = true;
    valueZoomed_.fill(false);
    applyRange(wholeFile());
    rebuildGraphs();
    replot(rpQueuedReplot);
}

void FileViewerPlot::setVisibleRange(const QCPRange& range) { timeAxis(0)->setRange(range); }

void FileViewerPlot::zoomAround(double factor, double centre) { timeAxis(0)->scaleRange(factor, centre); }

void FileViewerPlot::applyRange(QCPRange range) {
    settingRange_ = true;
    for (QCPAxisRect* rect : rects_) rect->axis(QCPAxis::atBottom)->setRange(range);
    settingRange_ = false;
}

void FileViewerPlot::onTimeRangeChanged(const QCPRange& changed) {
    if (settingRange_) return;
    // A zoom or pan by the user (or setVisibleRange): keep the view within sane
    // limits, bring the other two time axes along and redraw for the new range.
    QCPRange range = changed;
    if (!std::isfinite(range.lower) || !std::isfinite(range.upper)) range = wholeFile();
    const double centre = range.center();
    if (range.size() < kNarrowestSpan) range = QCPRange(centre - kNarrowestSpan / 2, centre + kNarrowestSpan / 2);
    const double widest = std::max(kWidestSpan, wholeFile().size() * 1.5);
    if (range.size() > widest) range = QCPRange(centre - widest / 2, centre + widest / 2);
    following_ = false;
    applyRange(range);
    rebuildGraphs();
}

int FileViewerPlot::plotColumns() const {
    const int width = componentRect(0)->width();
    // Before the first layout the rect has no size yet; the widget's width is close.
    return width > 1 ? width : std::max(100, this->width() - 80);
}

void FileViewerPlot::refreshNow() { rebuildGraphs(); }

void FileViewerPlot::rebuildGraphs() {
    const QCPRange view = visibleRange();
    columns_ = plotColumns();
    const EnvelopeSampler sampler(data_.timeline(), view.lower * kSecondsPerDay, view.upper * kSecondsPerDay,
                                  columns_);
    showsSamples_ = sampler.showsSamples();
    const bool marks = showsSamples_ && sampler.visibleSamples() > 0 &&
                       static_cast<double>(columns_) / static_cast<double>(sampler.visibleSamples()) >=
                           kPixelsPerSampleForMarks;
    for (std::size_t k = 0; k < FileViewerData::kComponents; ++k) {
        const Trace trace = sampler.trace(data_.component(k));
        QVector<double> keys(static_cast<qsizetype>(trace.keys.size()));
        QVector<double> values(static_cast<qsizetype>(trace.values.size()));
        for (std::size_t i = 0; i < trace.keys.size(); ++i) {
            keys[static_cast<qsizetype>(i)] = trace.keys[i] / kSecondsPerDay;
            values[static_cast<qsizetype>(i)] = trace.values[i];
        }
        QCPGraph* graph = graphs_[k];
        graph->setData(keys, values, true);
        graph->setScatterStyle(marks ? QCPScatterStyle(QCPScatterStyle::ssDisc, 4)
                                     : QCPScatterStyle(QCPScatterStyle::ssNone));
        if (trace.hasValues && !valueZoomed_[k]) {
            double pad = (trace.high - trace.low) * 0.05;
            if (!(pad > 0.0)) pad = std::max(1e-3, std::fabs(trace.high) * 1e-5);  // a flat line
            graph->valueAxis()->setRange(trace.low - pad, trace.high + pad);
        }
    }
}

void FileViewerPlot::onAfterReplot() {
    // The layout settles during a replot; a new width needs graphs for the new columns.
    if (componentRect(0)->width() > 1 && componentRect(0)->width() != columns_ && data_.size() > 0) {
        rebuildGraphs();
        replot(rpQueuedReplot);
    }
}

}  // namespace zuva::display

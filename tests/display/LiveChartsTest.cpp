// The three live charts: the window rule driven batch by batch with real redraws,
// bounded growth without redraws, ResetAxisAndSeries and the chart setup.
#include <QtTest>
#include <cmath>
#include <set>
#include <vector>

#include "display/ChartWindowRule.h"
#include "display/LiveCharts.h"
#include "display/LiveEnvelope.h"
#include "display/ValueTicker.h"

using zuva::acquisition::ChartPoint;
using zuva::display::ChartWindowRule;
using zuva::display::LiveChart;
using zuva::display::LiveCharts;
using zuva::display::LiveEnvelope;

namespace {

// One second of points at `rate` Hz starting at `second` seconds of the day; values
// carry the second and the index so that order and identity can be checked.
std::vector<ChartPoint> secondOf(int second, int rate) {
    std::vector<ChartPoint> points;
    for (int i = 0; i < rate; ++i) {
        const double x = (second + static_cast<double>(i) / rate) / 86400.0;
        const double id = second * 1000.0 + i;
        points.push_back({x, id, id + 0.25, id + 0.5});
    }
    return points;
}

void redraw(LiveCharts& charts) {
    for (int i = 0; i < LiveCharts::kCharts; ++i) charts.chart(i)->replot();
}

// The charts placed and sized as the main window places them, on screen.
bool shownAsInTheWindow(QWidget& window, LiveCharts& charts) {
    for (int i = 0; i < LiveCharts::kCharts; ++i) charts.chart(i)->setGeometry(16, 64 + 176 * i, 801, 170);
    window.resize(843, 722);
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

double firstValue(const LiveChart* chart) { return chart->points().valueAt(0); }
double lastValue(const LiveChart* chart) { return chart->points().valueAt(chart->points().size() - 1); }

}  // namespace

class LiveChartsTest : public QObject {
    Q_OBJECT
private slots:
    // The rule alone: drawn index and count limit decide the deletions.
    void ruleDeletions_data() {
        QTest::addColumn<int>("pointsOnScreen");
        QTest::addColumn<int>("drawnCount");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("deletions");
        QTest::newRow("never drawn") << 3840 << 0 << 100 << 0;
        QTest::newRow("drawn index equal to limit") << 3840 << 3841 << 3842 << 0;
        QTest::newRow("drawn index above limit") << 3840 << 3842 << 3843 << 1;
        QTest::newRow("drawn above, series emptied") << 3840 << 5000 << 1 << 1;
        QTest::newRow("at the count limit") << 60 << 0 << 60 + 1 + 256 << 0;
        QTest::newRow("one past the count limit") << 60 << 0 << 60 + 1 + 256 + 1 << 1;
        QTest::newRow("past the limit after a smaller setting") << 60 << 0 << 1000 << 1000 - 317;
        QTest::newRow("both rules") << 60 << 500 << 400 << 1 + (400 - 1 - 317);
        QTest::newRow("empty") << 60 << 500 << 0 << 0;
    }
    void ruleDeletions() {
        QFETCH(int, pointsOnScreen);
        QFETCH(int, drawnCount);
        QFETCH(int, count);
        QFETCH(int, deletions);
        ChartWindowRule rule;
        QVERIFY(rule.setPointsOnScreen(pointsOnScreen));
        if (drawnCount > 0) rule.noteDrawn(drawnCount);
        QCOMPARE(rule.pointsToDelete(count), deletions);
    }

    void ruleClampsPointsOnScreen() {
        ChartWindowRule rule;
        QCOMPARE(rule.pointsOnScreen(), 3840);
        QCOMPARE(rule.lastDrawnIndex(), -1);
        QVERIFY(!rule.setPointsOnScreen(0));
        QCOMPARE(rule.pointsOnScreen(), 1);
        QVERIFY(!rule.setPointsOnScreen(2'000'000));
        QCOMPARE(rule.pointsOnScreen(), 921'600);
    }

    // 64 Hz, 1 minute: PointsOnScreen 3840. The series grow by 64 a second until they
    // were drawn with more than 3841 points; from then on each second adds 64 and
    // deletes the 64 oldest.
    void windowRuleAt64HzOneMinute() {
        QWidget window;
        LiveCharts charts(&window);
        charts.setPointsOnScreen(3840);
        int second = 36000;
        std::vector<int> counts;
        for (int s = 0; s < 70; ++s, ++second) {
            const auto batch = secondOf(second, 64);
            charts.addPoints(batch);
            counts.push_back(charts.pointCount(0));
            redraw(charts);
        }
        // Growing: drawn with 61 x 64 = 3904 points, index 3903 > 3840 only after second 61.
        for (int s = 0; s < 61; ++s) QCOMPARE(counts[static_cast<std::size_t>(s)], (s + 1) * 64);
        for (int s = 61; s < 70; ++s) QCOMPARE(counts[static_cast<std::size_t>(s)], 3904);
        QCOMPARE(charts.lastDrawnIndex(), 3903);
        for (int i = 0; i < LiveCharts::kCharts; ++i) {
            QCOMPARE(charts.pointCount(i), 3904);
            // The oldest left: the series now start 61 seconds back, at sample 0.
            QCOMPARE(firstValue(charts.chart(i)), (second - 61) * 1000.0 + 0.25 * i);
            QCOMPARE(lastValue(charts.chart(i)), (second - 1) * 1000.0 + 63 + 0.25 * i);
        }
    }

    // The rule reads Series0's last drawn index from real redraws only: batches fed
    // without a redraw between them delete nothing until the count limit.
    void noRedrawMeansNoDrawnRuleButBoundedGrowth() {
        QWidget window;  // never shown: queued redraws are skipped as well
        LiveCharts charts(&window);
        charts.setPointsOnScreen(3840);
        QCoreApplication::processEvents();  // the plots' own first layout pass
        QCOMPARE(charts.lastDrawnIndex(), -1);
        for (int s = 0; s < 600; ++s) {
            const auto batch = secondOf(40000 + s, 64);
            charts.addPoints(batch);
            QCoreApplication::processEvents();
        }
        QCOMPARE(charts.lastDrawnIndex(), -1);
        const int limit = 3840 + 1 + 256;
        for (int i = 0; i < LiveCharts::kCharts; ++i) {
            QCOMPARE(charts.pointCount(i), limit);
            QCOMPARE(lastValue(charts.chart(i)), 40599 * 1000.0 + 63 + 0.25 * i);
            // The newest `limit` points are kept, in order.
            const auto& points = charts.chart(i)->points();
            for (std::size_t k = 1; k < points.size(); ++k) QVERIFY(points.keyAt(k) > points.keyAt(k - 1));
        }
        QVERIFY(charts.chart(0)->redrawPending());
    }

    // A shown chart redraws once per batch through the event loop, not per point.
    void shownChartsRedrawOncePerBatch() {
        QWidget window;
        LiveCharts charts(&window);
        QVERIFY(shownAsInTheWindow(window, charts));
        // The first second settles the value axes' margins, which may take the charts
        // one more redraw to line up; the count starts with the next second.
        const auto first = secondOf(50000, 256);
        charts.addPoints(first);
        QTRY_COMPARE(charts.lastDrawnIndex(), 255);
        QTest::qWait(100);
        int replots = 0;
        connect(charts.chart(0), &QCustomPlot::afterReplot, this, [&replots] { ++replots; });
        const auto batch = secondOf(50001, 256);
        charts.addPoints(batch);
        QCOMPARE(replots, 0);
        QTRY_COMPARE(replots, 1);
        QTest::qWait(100);
        QCOMPARE(replots, 1);
        QCOMPARE(charts.lastDrawnIndex(), 511);
        // Automatic ranges: both seconds in view.
        QCOMPARE(charts.chart(0)->xAxis->range().lower, first.front().x);
        QCOMPARE(charts.chart(0)->xAxis->range().upper, batch.back().x);
        QCOMPARE(charts.chart(1)->yAxis->range().lower, first.front().by);
    }

    // Clearing keeps the last drawn index until the next redraw: while it exceeds
    // PointsOnScreen every new point is deleted again at once; after the redraw
    // the series fill from the next second.
    void resetAxisAndSeries() {
        QWidget window;
        LiveCharts charts(&window);
        charts.setPointsOnScreen(60);
        for (int s = 0; s < 5; ++s) {
            const auto batch = secondOf(1000 + s, 64);
            charts.addPoints(batch);
            redraw(charts);
        }
        QVERIFY(charts.lastDrawnIndex() > 60);
        charts.ResetAxisAndSeries();
        for (int i = 0; i < LiveCharts::kCharts; ++i) QCOMPARE(charts.pointCount(i), 0);
        QVERIFY(charts.lastDrawnIndex() > 60);

        const auto first = secondOf(2000, 64);
        charts.addPoints(first);
        for (int i = 0; i < LiveCharts::kCharts; ++i) QCOMPARE(charts.pointCount(i), 0);
        redraw(charts);
        QCOMPARE(charts.lastDrawnIndex(), -1);

        const auto next = secondOf(2001, 64);
        charts.addPoints(next);
        for (int i = 0; i < LiveCharts::kCharts; ++i) {
            QCOMPARE(charts.pointCount(i), 64);
            QCOMPARE(firstValue(charts.chart(i)), 2001 * 1000.0 + 0.25 * i);
        }
    }

    // A reset with a small drawn index leaves the next points in place.
    void resetBeforeTheWindowFilled() {
        QWidget window;
        LiveCharts charts(&window);
        const auto batch = secondOf(10, 64);
        charts.addPoints(batch);
        redraw(charts);
        charts.ResetAxisAndSeries();
        charts.addPoints(batch);
        QCOMPARE(charts.pointCount(2), 64);
    }

    // More than a second between two points: an empty point breaks the three lines there.
    void missingSecondsBreakTheLines() {
        QWidget window;
        LiveCharts charts(&window);
        const double second = 1.0 / 86400.0;
        charts.addPoints(std::vector<ChartPoint>{{0.5, 1, 2, 3}, {0.5 + second, 1, 2, 3}});
        QCOMPARE(charts.gapsBroken(), 0);
        charts.addPoints(std::vector<ChartPoint>{{0.5 + 4 * second, 4, 5, 6}});
        QCOMPARE(charts.gapsBroken(), 1);
        for (int i = 0; i < LiveCharts::kCharts; ++i) {
            QCOMPARE(charts.pointCount(i), 4);
            const auto& points = charts.chart(i)->points();
            QVERIFY(std::isnan(points.valueAt(2)));
            QCOMPARE(points.keyAt(2), 0.5 + 2.5 * second);
        }
        charts.setAlarm(true);
        QCOMPARE(charts.panelColour(1), QColor(255, 214, 153));
        charts.setAlarm(false);
        QCOMPARE(charts.panelColour(1), QColor(192, 192, 192));
    }

    // An hour at 64 Hz in the window: each redraw hands the painter a min/max
    // envelope of about two points per pixel column, with the true extremes, the
    // ends of the hour and the break of a missing second.
    void aFullWindowIsDrawnAsAnEnvelope() {
        QWidget window;
        LiveCharts charts(&window);
        QVERIFY(shownAsInTheWindow(window, charts));
        charts.setPointsOnScreen(230'400);
        for (int s = 0; s < 3600; ++s) {
            if (s == 1800) continue;  // one second missing
            auto batch = secondOf(36000 + s, 64);
            if (s == 2000) batch[10].bx = 1e9;  // one spike
            charts.addPoints(batch);
        }
        QCOMPARE(charts.pointCount(0), 3599 * 64 + 1);
        LiveChart* chart = charts.chart(0);
        chart->replot();
        const int columns = chart->axisRect()->width();
        QVERIFY2(columns > 600, qPrintable(QString::number(columns)));
        const int drawn = chart->series()->drawnPoints();
        QVERIFY2(drawn <= 2 * columns / LiveEnvelope::kLeastGridWidth + 4, qPrintable(QString::number(drawn)));
        QVERIFY(drawn >= columns);
        const auto drawnData = chart->series()->data();
        QCOMPARE(drawnData->constBegin()->key, secondOf(36000, 64).front().x);
        QCOMPARE((drawnData->constEnd() - 1)->key, secondOf(39599, 64).back().x);
        QCOMPARE(chart->yAxis->range().upper, 1e9);
        QCOMPARE(chart->yAxis->range().lower, 36000 * 1000.0);
        int breaks = 0;
        double top = 0;
        for (auto it = drawnData->constBegin(); it != drawnData->constEnd(); ++it) {
            if (std::isnan(it->value)) ++breaks;
            else top = std::max(top, it->value);
        }
        QCOMPARE(breaks, 1);
        QCOMPARE(top, 1e9);
        // Every pixel column from end to end has a stroke of its own: no pale stripes.
        std::set<long> pixels;
        for (auto it = drawnData->constBegin(); it != drawnData->constEnd(); ++it)
            pixels.insert(std::lround(chart->xAxis->coordToPixel(it->key)));
        QCOMPARE(static_cast<long>(pixels.size()), *pixels.rbegin() - *pixels.begin() + 1);
    }

    // Points that cannot be placed in the day are skipped whole (all three series),
    // with one log line per batch.
    void unplottablePointsAreSkipped() {
        QWidget window;
        LiveCharts charts(&window);
        std::vector<std::string> log;
        charts.setLog([&log](const std::string& line) { log.push_back(line); });
        std::vector<ChartPoint> batch = {
            {0.5, 1, 2, 3},  {1.0, 1, 2, 3}, {-0.1, 1, 2, 3}, {0.6, NAN, 2, 3}, {0.7, 1, INFINITY, 3},
            {0.5 + 0.5 / 86400.0, 4, 5, 6},  // half a second on: no gap between the two kept points
        };
        charts.addPoints(batch);
        for (int i = 0; i < LiveCharts::kCharts; ++i) QCOMPARE(charts.pointCount(i), 2);
        QCOMPARE(lastValue(charts.chart(2)), 6.0);
        QCOMPARE(log.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(log[0]),
                 QString("Chart: 4 point(s) skipped: time outside 00:00:00-23:59:59.999 or a value that is not a number"));

        charts.setPointsOnScreen(-5);
        QCOMPARE(charts.pointsOnScreen(), 1);
        QCOMPARE(QString::fromStdString(log.back()), QString("Chart: points on screen -5 out of range, using 1"));
    }

    // A wide value label on one chart widens all three left margins alike, so the
    // stacked time axes line up; a reset returns to the 50 px label area.
    void valueAxesLineUp() {
        QWidget window;
        LiveCharts charts(&window);
        for (int i = 0; i < LiveCharts::kCharts; ++i) charts.chart(i)->resize(801, 170);
        std::vector<ChartPoint> batch;
        for (int i = 0; i < 64; ++i) batch.push_back({0.5 + i * 1e-6, 1.0 + i, -1234567.1234 + i * 0.0003, 5.0});
        charts.addPoints(batch);
        for (int round = 0; round < 3; ++round) {
            redraw(charts);
            QCoreApplication::processEvents();
        }
        const int base = LiveChart("Bz, nT").axisRect()->minimumMargins().left();
        const int left0 = charts.chart(0)->axisRect()->left();
        // "-1,234,566.1234" needs more than the 50 px area: Chart2's short labels follow it.
        QVERIFY(charts.chart(1)->axisRect()->margins().left() > base);
        QCOMPARE(charts.chart(1)->axisRect()->left(), left0);
        QCOMPARE(charts.chart(2)->axisRect()->left(), left0);
        QVERIFY(charts.chart(2)->axisRect()->minimumMargins().left() > base);
        charts.ResetAxisAndSeries();
        QCOMPARE(charts.chart(2)->axisRect()->minimumMargins().left(), base);
    }

    void chartSetup() {
        QWidget window;
        LiveCharts charts(&window);
        const char* titles[] = {"Bx, nT", "By, nT", "Bz, nT"};
        for (int i = 0; i < LiveCharts::kCharts; ++i) {
            LiveChart* chart = charts.chart(i);
            QCOMPARE(chart->objectName(), QString("Chart%1").arg(i));
            QCOMPARE(chart->parentWidget(), &window);
            QCOMPARE(chart->yAxis->label(), QString(titles[i]));
            QVERIFY(chart->yAxis->labelFont().bold());
            QCOMPARE(chart->yAxis->tickLabelFont().pixelSize(), 13);
            QCOMPARE(chart->xAxis->tickLabelFont().pixelSize(), 13);
            QVERIFY(chart->xAxis->tickLabelFont().families().contains("Times New Roman"));
            QCOMPARE(chart->series()->pen().color(), QColor(Qt::red));
            QVERIFY(!chart->legend->visible());
            QVERIFY(!chart->xAxis2->visible());
            QVERIFY(!chart->yAxis2->visible());
            QCOMPARE(chart->xAxis->tickLengthIn(), 0);
            QCOMPARE(chart->plotLayout()->elementCount(), 1);  // no title element
            QCOMPARE(chart->graphCount(), 1);
        }
        QCOMPARE(charts.chart(0)->minimumValueStep(), 0.0001);
        QCOMPARE(charts.chart(1)->minimumValueStep(), 0.0);
        QCOMPARE(charts.chart(2)->minimumValueStep(), 0.0);
    }

    // Chart0's value axis never steps below 0.0001, Chart1's may.
    void chart0SmallestValueStep() {
        QWidget window;
        LiveCharts charts(&window);
        for (int i = 0; i < 2; ++i) {
            charts.chart(i)->resize(801, 170);
            charts.chart(i)->series()->setVisible(false);
            charts.chart(i)->yAxis->setRange(1.0, 1.00005);
            charts.chart(i)->replot();
        }
        const QVector<double> ticks0 = charts.chart(0)->yAxis->tickVector();
        for (int i = 1; i < ticks0.size(); ++i) QVERIFY(ticks0[i] - ticks0[i - 1] >= 0.0001 * 0.999);
        const QVector<double> ticks1 = charts.chart(1)->yAxis->tickVector();
        QVERIFY(ticks1.size() >= 3);
        QVERIFY(ticks1[1] - ticks1[0] < 0.0001);
        // Its labels still tell the ticks apart.
        const QVector<QString> labels = charts.chart(1)->yAxis->tickVectorLabels();
        QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), labels.size());
    }
};

QTEST_MAIN(LiveChartsTest)
#include "LiveChartsTest.moc"

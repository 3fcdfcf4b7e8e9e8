// The viewer plot as a widget: loading in blocks, the throttled redraw, the shared
// time axis, wheel zoom around the cursor, drag, double click back to the whole file.
#include <QtTest>
#include <cmath>
#include <vector>

#include "display/FileViewerPlot.h"

using zuva::display::FileViewerPlot;

namespace {

// `seconds` records at `rate` Hz from `start` (seconds of the day), a slow sine.
void load(FileViewerPlot& plot, double start, int seconds, int rate) {
    std::vector<double> t(static_cast<std::size_t>(rate)), x(t.size()), y(t.size()), z(t.size());
    for (int s = 0; s < seconds; ++s) {
        for (int i = 0; i < rate; ++i) {
            const double time = start + s + static_cast<double>(i) / rate;
            t[static_cast<std::size_t>(i)] = time;
            x[static_cast<std::size_t>(i)] = 20000 + 50 * std::sin(time / 60.0);
            y[static_cast<std::size_t>(i)] = -3000 + 10 * std::cos(time / 10.0);
            z[static_cast<std::size_t>(i)] = 45000 + i;
        }
        plot.appendBlock(t.data(), x.data(), y.data(), z.data(), t.size());
    }
}

}  // namespace

class FileViewerPlotTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndTitles() {
        FileViewerPlot plot;
        const char* titles[] = {"Bx, nT", "By, nT", "Bz, nT"};
        for (int k = 0; k < FileViewerPlot::kComponents; ++k) {
            QCOMPARE(plot.componentRect(k)->axis(QCPAxis::atLeft)->label(), QString(titles[k]));
            QVERIFY(plot.componentRect(k)->axis(QCPAxis::atLeft)->labelFont().bold());
            QCOMPARE(plot.componentGraph(k)->pen().color(), QColor(Qt::red));
            // Stacked, one above the other.
            QCOMPARE(plot.plotLayout()->element(k, 0), plot.componentRect(k));
        }
        QCOMPARE(plot.plotLayout()->rowCount(), 3);
        QCOMPARE(plot.plotLayout()->columnCount(), 1);
        QVERIFY(!plot.timeAxis(0)->tickLabels());
        QVERIFY(!plot.timeAxis(1)->tickLabels());
        QVERIFY(plot.timeAxis(2)->tickLabels());
    }

    // Appending only stores; the picture follows from the throttle, showing the whole file.
    void loadingIsThrottledAndFollowsTheFile() {
        FileViewerPlot plot;
        plot.resize(801, 520);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        int replots = 0;
        connect(&plot, &QCustomPlot::afterReplot, this, [&replots] { ++replots; });
        load(plot, 3600.0, 600, 64);
        QCOMPARE(plot.samples().size(), std::size_t{600 * 64});
        QCOMPARE(replots, 0);
        QCOMPARE(plot.componentGraph(0)->dataCount(), 0);
        QTRY_VERIFY(plot.componentGraph(0)->dataCount() > 0);
        QVERIFY(plot.followsWholeFile());
        QCOMPARE(plot.visibleRange().lower, 3600.0 / 86400.0);
        QVERIFY(plot.visibleRange().upper > 4199.0 / 86400.0);
        QVERIFY(!plot.showsSamples());
        // The envelope: about two points per pixel column, not 38,400.
        QVERIFY(plot.componentGraph(0)->dataCount() <= 2 * plot.columnsUsed() + 2);
        // Each value axis fits its component.
        const QCPRange bz = plot.componentGraph(2)->valueAxis()->range();
        QVERIFY(bz.lower <= 45000 && bz.upper >= 45063 && bz.size() < 200);
    }

    // Zooming on one component moves the time axes of all three, and far enough in,
    // every sample is drawn.
    void zoomIsSharedAndShowsSamples() {
        FileViewerPlot plot;
        plot.resize(801, 520);
        load(plot, 0.0, 120, 256);
        plot.resetView();
        plot.replot();
        const double from = 30.0 / 86400.0;
        plot.setVisibleRange(QCPRange(from, from + 1.0 / 86400.0));
        QVERIFY(!plot.followsWholeFile());
        for (int k = 0; k < FileViewerPlot::kComponents; ++k) QCOMPARE(plot.timeAxis(k)->range(), plot.visibleRange());
        QVERIFY(plot.showsSamples());
        // 256 samples of the second plus one neighbour on each side.
        QCOMPARE(plot.componentGraph(2)->dataCount(), 258);
        auto it = plot.componentGraph(2)->data()->constBegin() + 1;
        for (int i = 0; i < 256; ++i, ++it) {
            QCOMPARE(it->key, (30.0 + i / 256.0) / 86400.0);
            QCOMPARE(it->value, 45000.0 + i);
        }
        // Narrower than 10 ms is widened back to 10 ms around the centre.
        plot.setVisibleRange(QCPRange(from, from + 1e-12));
        QVERIFY(std::fabs(plot.visibleRange().size() - FileViewerPlot::kNarrowestSpan) < 1e-15);
    }

    void wheelZoomsAroundTheCursorAndDoubleClickResets() {
        FileViewerPlot plot;
        plot.resize(801, 520);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        load(plot, 7200.0, 3600, 16);
        plot.resetView();
        plot.replot();
        const QCPRange whole = plot.visibleRange();
        QCPAxisRect* rect = plot.componentRect(1);
        const QPoint at(rect->left() + rect->width() / 4, rect->top() + rect->height() / 2);
        const double keyAtCursor = plot.timeAxis(1)->pixelToCoord(at.x());
        QWheelEvent wheel(at, plot.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&plot, &wheel);
        const QCPRange zoomed = plot.visibleRange();
        QVERIFY(zoomed.size() < whole.size() * 0.95);
        // The time under the cursor stays under it.
        QVERIFY(std::fabs(plot.timeAxis(1)->pixelToCoord(at.x()) - keyAtCursor) < whole.size() * 1e-3);
        QCOMPARE(plot.timeAxis(0)->range(), zoomed);
        QVERIFY(!plot.followsWholeFile());

        // Drag pans the time axis.
        QTest::mousePress(&plot, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(&plot, at + QPoint(100, 0));
        QTest::mouseRelease(&plot, Qt::LeftButton, Qt::NoModifier, at + QPoint(100, 0));
        QVERIFY(plot.visibleRange().lower < zoomed.lower);
        QVERIFY(std::fabs(plot.visibleRange().size() - zoomed.size()) < zoomed.size() * 1e-9);

        QTest::mouseDClick(&plot, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(plot.visibleRange(), whole);
        QVERIFY(plot.followsWholeFile());
    }

    void clearEmptiesTheGraphs() {
        FileViewerPlot plot;
        load(plot, 100.0, 10, 32);
        plot.refreshNow();
        plot.resetView();
        QVERIFY(plot.componentGraph(0)->dataCount() > 0);
        plot.clear();
        QCOMPARE(plot.samples().size(), std::size_t{0});
        for (int k = 0; k < FileViewerPlot::kComponents; ++k) QCOMPARE(plot.componentGraph(k)->dataCount(), 0);
        QVERIFY(plot.followsWholeFile());
    }

    void badBlocksAreReported() {
        FileViewerPlot plot;
        std::vector<std::string> log;
        plot.setLog([&log](const std::string& line) { log.push_back(line); });
        const double t[] = {1.0, 2.0};
        const double v[] = {1.0, NAN};
        plot.appendBlock(t, v, v, v, 2);
        plot.appendBlock(t, nullptr, v, v, 2);
        QCOMPARE(plot.samples().size(), std::size_t{1});
        QCOMPARE(log.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(log[0]), QString("Viewer: 1 sample(s) skipped: time or value not a finite number"));
        QCOMPARE(QString::fromStdString(log[1]), QString("Viewer: a block of 2 samples came without its data and was skipped"));
    }
};

QTEST_MAIN(FileViewerPlotTest)
#include "FileViewerPlotTest.moc"

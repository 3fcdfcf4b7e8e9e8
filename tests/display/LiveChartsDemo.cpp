// A look at the charts without the main window: three live charts fed two minutes
// of a fake 64 Hz field, a status bar, the live charts with an hour of a noisy 256 Hz
// field on screen, and the viewer plot of a fake hour, each grabbed to a PNG
// (default /tmp). Run offscreen: QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>
#include <cmath>
#include <cstdio>
#include <vector>

#include "display/FileViewerPlot.h"
#include "display/LiveCharts.h"
#include "display/StatusBarPanels.h"

using zuva::acquisition::ChartPoint;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");

    QMainWindow window;
    auto* client = new QWidget;
    window.setCentralWidget(client);
    zuva::display::LiveCharts charts(client);
    for (int i = 0; i < 3; ++i) charts.chart(i)->setGeometry(16, 64 - 64 + 176 * i, 801, 170);
    zuva::display::StatusBarPanels panels(window.statusBar());
    window.resize(843, 3 * 176 + 40);
    window.show();

    charts.setPointsOnScreen(64 * 60);
    const int start = 10 * 3600 + 20 * 60;
    for (int s = 0; s < 120; ++s) {
        std::vector<ChartPoint> batch;
        for (int i = 0; i < 64; ++i) {
            const double t = start + s + i / 64.0;
            batch.push_back({t / 86400.0, 21345.6 + 2.5 * std::sin(t / 7.0) + 0.3 * std::sin(t * 3.1),
                             -1234.25 + 0.0004 * std::cos(t / 5.0), 43210.0 + 15.0 * std::sin(t / 23.0)});
        }
        charts.addPoints(batch);
        QCoreApplication::processEvents();
    }
    panels.setPanelText(0, "Time: 10 22 00");
    panels.setPanelText(1, "Bx: 891923 bit");
    panels.setPanelText(2, "By: -51572 bit");
    panels.setPanelText(3, "Bz: 1805683 bit");
    panels.setPanelText(4, "GPS: 01234.5678E 4807.038N 545.4 (2024 06 30 10 20 30)");
    QCoreApplication::processEvents();
    const QString live = dir + "/zuva-live-charts.png";
    window.grab().save(live);

    // An hour at 256 Hz with a missing minute: the charts draw their min/max envelope.
    {
        QWidget hourWindow;
        zuva::display::LiveCharts hour(&hourWindow);
        for (int i = 0; i < 3; ++i) hour.chart(i)->setGeometry(16, 176 * i, 801, 170);
        hourWindow.resize(843, 3 * 176);
        hourWindow.show();
        hour.setPointsOnScreen(256 * 3600);
        std::uint32_t state = 1;
        for (int s = 0; s < 3600; ++s) {
            if (s >= 1800 && s < 1860) continue;
            std::vector<ChartPoint> batch;
            for (int i = 0; i < 256; ++i) {
                const double t = start + s + i / 256.0;
                state = state * 1664525u + 1013904223u;
                const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
                batch.push_back({t / 86400.0, 21345.6 + 20.0 * std::sin(t / 600.0) + 4.0 * noise,
                                 -1234.25 + 3.0 * std::sin(t / 45.0) + noise, 43210.0 + 0.01 * s + 8.0 * noise * noise});
            }
            hour.addPoints(batch);
        }
        QCoreApplication::processEvents();
        for (int i = 0; i < 3; ++i) hour.chart(i)->replot();
        const QString hourPicture = dir + "/zuva-live-charts-hour.png";
        hourWindow.grab().save(hourPicture);
        std::printf("%s\n", qPrintable(hourPicture));
    }

    zuva::display::FileViewerPlot viewer;
    viewer.resize(843, 520);
    viewer.show();
    std::vector<double> t(256), x(256), y(256), z(256);
    for (int s = 0; s < 3600; ++s) {
        for (int i = 0; i < 256; ++i) {
            const double time = 3600.0 * 14 + s + i / 256.0;
            t[static_cast<std::size_t>(i)] = time;
            x[static_cast<std::size_t>(i)] = 20000 + 40 * std::sin(time / 300.0) + ((s * 256 + i) % 997 == 0 ? 30 : 0);
            y[static_cast<std::size_t>(i)] = -3000 + 5 * std::sin(time / 40.0) + std::sin(time * 20.0);
            z[static_cast<std::size_t>(i)] = 45000 + 0.01 * s;
        }
        viewer.appendBlock(t.data(), x.data(), y.data(), z.data(), t.size());
    }
    viewer.resetView();
    viewer.replot();
    QCoreApplication::processEvents();
    viewer.replot();
    const QString whole = dir + "/zuva-viewer.png";
    viewer.grab().save(whole);
    viewer.setVisibleRange(QCPRange((3600.0 * 14 + 1800) / 86400.0, (3600.0 * 14 + 1800.5) / 86400.0));
    viewer.replot();
    QCoreApplication::processEvents();
    viewer.replot();
    const QString zoomed = dir + "/zuva-viewer-zoomed.png";
    viewer.grab().save(zoomed);
    std::printf("%s\n%s\n%s\n", qPrintable(live), qPrintable(whole), qPrintable(zoomed));
    return 0;
}

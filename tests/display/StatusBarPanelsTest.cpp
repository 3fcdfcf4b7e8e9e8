// The five status bar panels: widths, initial texts, writes, the stretching GPS panel.
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QtTest>

#include "display/StatusBarPanels.h"

using zuva::acquisition::StatusPanels;
using zuva::display::StatusBarPanels;

class StatusBarPanelsTest : public QObject {
    Q_OBJECT
private slots:
    void initialTextsAndWidths() {
        QMainWindow window;
        StatusBarPanels panels(window.statusBar());
        window.resize(843, 722);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const char* texts[] = {"Time", "Bx", "By", "Bz", "GPS"};
        for (int i = 0; i < StatusBarPanels::kPanels; ++i) {
            QCOMPARE(panels.panelText(i), QString(texts[i]));
            QCOMPARE(panels.panel(i)->parentWidget(), window.statusBar());
        }
        for (int i = 0; i < 4; ++i) QCOMPARE(panels.panel(i)->width(), 100);
        // Left to right in panel order.
        for (int i = 1; i < StatusBarPanels::kPanels; ++i) {
            QVERIFY(panels.panel(i)->x() > panels.panel(i - 1)->x());
        }
        // The GPS panel is at least 50 px and takes the rest of the bar.
        QLabel* gps = panels.panel(StatusPanels::kGps);
        QCOMPARE(gps->minimumWidth(), 50);
        QVERIFY2(gps->width() > 300, qPrintable(QString::number(gps->width())));
    }

    void writesGoToTheirPanel() {
        QMainWindow window;
        StatusBarPanels panels(window.statusBar());
        StatusPanels& sink = panels;
        sink.setPanelText(StatusPanels::kTime, "Time: 10 20 30");
        sink.setPanelText(StatusPanels::kBx, "Bx: -8388608 bit");
        sink.setPanelText(StatusPanels::kBy, "By: 0 bit");
        sink.setPanelText(StatusPanels::kBz, "Bz: 8388607 bit");
        const std::string gps = "GPS: 01234.5678E 4807.038N 545.4 (2024 06 30 10 20 30)";
        sink.setPanelText(StatusPanels::kGps, gps);
        QCOMPARE(panels.panelText(0), QString("Time: 10 20 30"));
        QCOMPARE(panels.panelText(1), QString("Bx: -8388608 bit"));
        QCOMPARE(panels.panelText(2), QString("By: 0 bit"));
        QCOMPARE(panels.panelText(3), QString("Bz: 8388607 bit"));
        QCOMPARE(panels.panelText(4), QString::fromStdString(gps));
        // Plain text: markup from the instrument is shown, not interpreted.
        QCOMPARE(panels.panel(4)->textFormat(), Qt::PlainText);
    }

    void longGpsTextIsReadable() {
        QMainWindow window;
        StatusBarPanels panels(window.statusBar());
        window.resize(843, 722);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString gps = "GPS: 01234.5678E 4807.038N 545.4 (2024 06 30 10 20 30)";
        panels.setPanelText(StatusPanels::kGps, gps.toStdString());
        QLabel* label = panels.panel(StatusPanels::kGps);
        QVERIFY(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(gps));
    }

    void backlogIsShownOnlyWhileSecondsWait() {
        QMainWindow window;
        StatusBarPanels panels(window.statusBar());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QLabel* backlog = panels.backlogPanel();
        QVERIFY(backlog != nullptr);
        QVERIFY(!backlog->isVisible());
        StatusPanels& sink = panels;
        sink.setPanelText(StatusPanels::kTime, "Time: 10 20 30");
        sink.setBacklog(12);
        QVERIFY(backlog->isVisible());
        QCOMPARE(backlog->text(), QString("Not yet written: 12 s"));
        QCOMPARE(backlog->textFormat(), Qt::PlainText);
        // The five panels keep their texts and places.
        QCOMPARE(panels.panelText(0), QString("Time: 10 20 30"));
        QVERIFY(backlog->x() > panels.panel(StatusPanels::kGps)->x());
        sink.setBacklog(0);
        QVERIFY(!backlog->isVisible());
        QCOMPARE(panels.panelText(0), QString("Time: 10 20 30"));
    }

    void panelOutsideTheFiveIsIgnored() {
        QMainWindow window;
        StatusBarPanels panels(window.statusBar());
        panels.setPanelText(-1, "x");
        panels.setPanelText(5, "x");
        QCOMPARE(panels.panel(5), nullptr);
        QCOMPARE(panels.panelText(5), QString());
        for (int i = 0; i < StatusBarPanels::kPanels; ++i) QVERIFY(panels.panelText(i) != "x");
    }
};

QTEST_MAIN(StatusBarPanelsTest)
#include "StatusBarPanelsTest.moc"

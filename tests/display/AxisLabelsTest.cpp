// The label texts of the chart axes: time of day "hh:mm:ss.zzz" and values "#,##0.####".
#include <QtTest>
#include <cmath>

#include "display/LiveChart.h"
#include "display/TimeOfDayTicker.h"
#include <QFontMetrics>
#include "display/TimeOfDayText.h"
#include "display/ValueText.h"

using zuva::display::LiveChart;
using zuva::display::TimeOfDayText;
using zuva::display::ValueText;

namespace {

double dayFraction(int h, int m, int s, int ms) {
    return (h * 3'600'000.0 + m * 60'000.0 + s * 1000.0 + ms) / 86'400'000.0;
}

}  // namespace

class AxisLabelsTest : public QObject {
    Q_OBJECT
private slots:
    void timeOfDay_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("text");
        QTest::newRow("5 ms is not half a second") << dayFraction(10, 20, 30, 5) << "10:20:30.005";
        QTest::newRow("50 ms") << dayFraction(10, 20, 30, 50) << "10:20:30.050";
        QTest::newRow("500 ms") << dayFraction(10, 20, 30, 500) << "10:20:30.500";
        QTest::newRow("midnight") << 0.0 << "00:00:00.000";
        QTest::newRow("last ms of the day") << dayFraction(23, 59, 59, 999) << "23:59:59.999";
        QTest::newRow("256 Hz sample 255") << dayFraction(7, 8, 9, 0) + 255.0 / 256.0 / 86400.0
                                           << "07:08:09.996";
        QTest::newRow("end of day") << 1.0 << "24:00:00.000";
        QTest::newRow("before midnight") << -dayFraction(0, 0, 1, 250) << "-00:00:01.250";
        QTest::newRow("rounds to nearest ms") << dayFraction(1, 2, 3, 4) + 0.6 / 86'400'000.0 << "01:02:03.005";
    }
    void timeOfDay() {
        QFETCH(double, x);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(TimeOfDayText::format(x)), text);
    }

    void timeOfDayNotANumberIsEmpty() {
        QCOMPARE(QString::fromStdString(TimeOfDayText::format(std::nan(""))), QString());
        QCOMPARE(QString::fromStdString(TimeOfDayText::format(INFINITY)), QString());
    }

    void value_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("integer") << 50.0 << 4 << "50";
        QTest::newRow("grouped") << 12345.5 << 4 << "12,345.5";
        QTest::newRow("millions") << -1234567.0 << 4 << "-1,234,567";
        QTest::newRow("four decimals") << 0.12344 << 4 << "0.1234";
        QTest::newRow("rounded up") << 0.99996 << 4 << "1";
        QTest::newRow("trailing zeros dropped") << 2.5 << 4 << "2.5";
        QTest::newRow("tiny negative is zero") << -0.00001 << 4 << "0";
        QTest::newRow("zero") << 0.0 << 4 << "0";
        QTest::newRow("thousand boundary") << 999.99996 << 4 << "1,000";
        QTest::newRow("six decimals") << 0.0000125 << 7 << "0.0000125";
    }
    void value() {
        QFETCH(double, v);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(ValueText::format(v, decimals)), text);
    }

    void valueWithOtherSeparators() {
        QCOMPARE(QString::fromStdString(ValueText::format(-1234.5, 4, ',', '.')), QString("-1.234,5"));
    }

    void decimalsFollowFineSteps_data() {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("decimals");
        QTest::newRow("coarse") << 1000.0 << 4;
        QTest::newRow("0.0001") << 0.0001 << 4;
        QTest::newRow("0.0002") << 0.0002 << 4;
        QTest::newRow("0.00025") << 0.00025 << 5;
        QTest::newRow("0.00001") << 0.00001 << 5;
        QTest::newRow("2.5e-6") << 2.5e-6 << 7;
    }
    void decimalsFollowFineSteps() {
        QFETCH(double, step);
        QFETCH(int, decimals);
        QCOMPARE(ValueText::decimalsForStep(step), decimals);
    }

    // The labels as the chart draws them, ticks chosen by the axis itself.
    void timeAxisLabelsOfAChart() {
        LiveChart chart("Bx, nT");
        chart.resize(801, 170);
        const double t = dayFraction(10, 20, 30, 5);
        chart.xAxis->setRange(t - 3.0 / 86'400'000.0, t + 3.0 / 86'400'000.0);
        chart.series()->setVisible(false);  // ranges stay as set: no data to fit
        chart.replot();
        const QVector<QString> labels = chart.xAxis->tickVectorLabels();
        QVERIFY2(labels.contains("10:20:30.005"), qPrintable(QStringList(labels.begin(), labels.end()).join(' ')));
        QVERIFY(labels.contains("10:20:30.004"));
        // Never finer than a millisecond, however far the range is narrowed.
        chart.xAxis->setRange(t, t + 0.2 / 86'400'000.0);
        chart.replot();
        const QVector<double> ticks = chart.xAxis->tickVector();
        for (int i = 1; i < ticks.size(); ++i) QVERIFY(ticks[i] - ticks[i - 1] >= 0.999 / 86'400'000.0);
    }

    void timeAxisStepsAreClockSteps() {
        LiveChart chart("Bx, nT");
        chart.resize(801, 170);
        chart.series()->setVisible(false);
        // One minute across: steps of whole seconds, labels on whole seconds.
        const double t = dayFraction(12, 0, 0, 0);
        chart.xAxis->setRange(t, t + 60.0 / 86400.0);
        chart.replot();
        const QVector<QString> labels = chart.xAxis->tickVectorLabels();
        QVERIFY(labels.size() >= 3);
        // Whole seconds need no milliseconds: "12:00:10".
        for (const QString& label : labels) {
            QVERIFY2(label.size() == 8 && label.endsWith('0') && !label.contains('.'), qPrintable(label));
        }
    }

    // At 64 and 256 Hz, one minute or a few seconds across, in the designed 843 px
    // window and a 1600 px one: neighbouring labels never touch.
    void timeLabelsNeverOverlap_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("seconds");
        for (int rate : {64, 256})
            for (int width : {801, 1558})
                for (double seconds : {60.0, 2.0})
                    QTest::addRow("%d Hz, %d px, %g s", rate, width, seconds) << rate << width << seconds;
    }
    void timeLabelsNeverOverlap() {
        QFETCH(int, rate);
        QFETCH(int, width);
        QFETCH(double, seconds);
        LiveChart chart("Bx, nT");
        chart.resize(width, 170);
        const double start = dayFraction(11, 26, 12, 0);
        const int n = static_cast<int>(seconds * rate);
        for (int i = 0; i < n; ++i) chart.points().append(start + i / double(rate) / 86400.0, std::sin(i * 0.01));
        chart.replot();
        chart.replot();  // the second with the settled layout
        const QVector<double> ticks = chart.xAxis->tickVector();
        const QVector<QString> labels = chart.xAxis->tickVectorLabels();
        QVERIFY(labels.size() >= 2);
        const QFontMetrics metrics(chart.xAxis->tickLabelFont());
        double previousRight = -1e9;
        for (int i = 0; i < ticks.size(); ++i) {
            const double centre = chart.xAxis->coordToPixel(ticks[i]);
            const double half = metrics.horizontalAdvance(labels[i]) / 2.0;
            QVERIFY2(centre - half > previousRight + 4, qPrintable(labels[i]));
            previousRight = centre + half;
        }
        // Milliseconds only when a few seconds are shown.
        QCOMPARE(labels.front().contains('.'), seconds < 10.0);
    }

    void dateFollowsWhereTheRangeCrossesMidnight() {
        zuva::display::TimeOfDayTicker ticker;
        ticker.setOrigin(QDate(2009, 8, 19));
        using Form = zuva::display::TimeOfDayTicker::Form;
        QCOMPARE(ticker.label(1.5, Form::Minutes, true), QString("12:00\n2009-08-20"));
        QCOMPARE(ticker.label(2.0, Form::Days, false), QString("2009-08-21"));
        QCOMPARE(ticker.label(dayFraction(1, 2, 3, 4), Form::Milliseconds, false), QString("01:02:03.004"));
        QCOMPARE(ticker.label(dayFraction(1, 2, 3, 4), Form::Seconds, false), QString("01:02:03"));
        zuva::display::TimeOfDayTicker live;  // no date: time of day only
        QCOMPARE(live.label(1.0, Form::Milliseconds, true), QString("24:00:00.000"));
    }

    void valueAxisLabelsOfAChart() {
        LiveChart chart("Bx, nT");
        chart.resize(801, 170);
        chart.series()->setVisible(false);
        chart.yAxis->setRange(10000, 14000);
        chart.replot();
        const QVector<QString> labels = chart.yAxis->tickVectorLabels();
        QVERIFY(labels.contains("12,000"));
    }
};

QTEST_MAIN(AxisLabelsTest)
#include "AxisLabelsTest.moc"

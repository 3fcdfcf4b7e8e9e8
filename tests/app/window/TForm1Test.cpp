// The main window over its core, offscreen, with a pseudo-terminal registered as the
// instrument's port.
#include "app/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <memory>
#include <thread>

#include "acquisition/FrameEncoder.h"
#include "acquisition/FileRotation.h"
#include "display/FileViewerData.h"
#include "display/FileViewerPlot.h"
#include "display/LiveCharts.h"
#include "recording/DataFileWriter.h"
#include "recording/EventLog.h"
#include "recording/LocaleFormats.h"
#include "settings/SettingsFile.h"
#include "settings/dialogs/TOptions.h"
#include "settings/dialogs/TRemarks.h"
#include "settings/dialogs/Tconfirm.h"
#include "display/StatusBarPanels.h"
#include "display/DataFlowWatch.h"
#include "recording/Cp1251Text.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QRegularExpression>
#include <QUrl>

#include "app/window/WindowScreen.h"

namespace fs = std::filesystem;
using zuva::app::TForm1;

// Takes the URLs the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls << url; }

public:
    QList<QUrl> urls;
};

class TForm1Test : public QObject {
    Q_OBJECT

private slots:
    void init() {
        std::string pattern = (fs::temp_directory_path() / "zuva-win-XXXXXX").string();
        QVERIFY(::mkdtemp(pattern.data()) != nullptr);
        dir = pattern;
        oldCwd = fs::current_path();
        fs::current_path(dir);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        QCOMPARE(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        // The window reads on this thread: writes must never block it.
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        fs::create_directory(dir / "zuva-ports");
        fs::permissions(dir / "zuva-ports", fs::perms::owner_all);
        const std::string link = (dir / "zuva-ports" / "win").string();
        fs::create_symlink(::ttyname(slave), link);
        std::ofstream(dir / "zuva.ini") << "[Config]\nComPort=" << link
                                        << "\nGain=2\nSamplingRate=6\nStart=0\nOutputDirectory=" << dir.string()
                                        << "\n";
        form = std::make_unique<TForm1>((dir / "zuva.ini").string());
        form->show();
        form->FormCreate();
    }
    void cleanup() {
        form.reset();
        ::close(master);
        ::close(slave);
        fs::current_path(oldCwd);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void startUpShowsLayoutCaptionsAndMenu() {
        QCOMPARE(form->windowTitle(), QString("ZUVA-7k Logger - Version 3.8 - 19.08.2009"));
        QCOMPARE(form->width(), 843);
        QCOMPARE(form->height(), 722);
        QCOMPARE(form->GroupBox2->title(), QString(" Gain "));
        QCOMPARE(form->Calibration->title(), QString(" Calibration "));
        QCOMPARE(form->GroupBox1->title(), QString(" Real time visualization "));
        QCOMPARE(form->GroupBox3->title(), QString(" Recording "));
        QCOMPARE(form->GroupBox4->title(), QString("GPS"));
        const int lefts[] = {16, 160, 304, 448, 592};
        const QGroupBox* groups[] = {form->GroupBox2, form->Calibration, form->GroupBox1, form->GroupBox3,
                                     form->GroupBox4};
        for (int i = 0; i < 5; ++i) QCOMPARE(groups[i]->geometry(), QRect(lefts[i], 0, 130, 49));
        QCOMPARE(form->ComboBox3->count(), 4);
        QCOMPARE(form->ComboBox3->itemText(3), QString("1000"));
        // The stored gain (index 2) is selected.
        QCOMPARE(form->ComboBox3->currentIndex(), 2);
        QCOMPARE(form->button3->text(), QString("OFF"));
        QCOMPARE(form->Button4->text(), QString("ON"));
        QCOMPARE(form->SpeedButton2->toolTip(), QString("Start"));
        QCOMPARE(form->SpeedButton3->toolTip(), QString("Stop"));
        QCOMPARE(form->speedbutton1->text(), QString("GPS"));

        QStringList top;
        for (QAction* a : form->menuBar()->actions()) top << a->text();
        QCOMPARE(top, (QStringList{"&File", "Options", "Remarks", "&ComPort", "Help"}));
        QStringList file;
        for (QAction* a : form->Open1->actions()) file << a->text();
        QCOMPARE(file, (QStringList{"&Open...", "Open &folder...", "Save data to text file", "Output &directory...",
                                    "&Exit"}));
        QStringList help;
        for (QAction* a : form->Help1->actions()) help << a->text();
        QCOMPARE(help, (QStringList{"&Help", "&About..."}));

        // The status bar's five panels and the event line showing the newest log line.
        QCOMPARE(form->panels().panelText(0), QString("Time"));
        QCOMPARE(form->panels().panelText(4), QString("GPS"));
        QCOMPARE(form->ComboBox1->count(), int(form->core().eventLog().LogLinesShown()));
        QVERIFY(form->ComboBox1->count() > 0);
        QCOMPARE(form->ComboBox1->itemText(0), QString::fromStdString(form->core().eventLog().lines().back()));
    }

    void chartsStretchWithTheWidth() {
        QCOMPARE(form->charts().chart(0)->geometry(), QRect(16, 64, 801, 170));
        QCOMPARE(form->charts().chart(2)->geometry(), QRect(16, 416, 801, 170));
        form->resize(1043, 722);
        QCOMPARE(form->charts().chart(1)->width(), 1001);
        QCOMPARE(form->charts().chart(1)->x(), 16);
    }

    void startAndStopSwitchExactlyTheirControls() {
        answerTheStartUpGpsRequest();
        QVERIFY(form->SpeedButton2->isEnabled());
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(form->core().acquisition().DataMode());
        QVERIFY(!form->Open1->menuAction()->isEnabled());
        QVERIFY(!form->Remarks1->isEnabled());
        QVERIFY(!form->N24->isEnabled());
        QVERIFY(!form->ComboBox3->isEnabled());
        QVERIFY(!form->SpeedButton2->isEnabled());
        QVERIFY(!form->speedbutton1->isEnabled());
        // Left as they were.
        QVERIFY(form->SpeedButton3->isEnabled());
        QVERIFY(form->Options1->isEnabled());
        QVERIFY(form->Button4->isEnabled());
        QVERIFY(form->button3->isEnabled());
        // The Options dialog follows the run: no rate, sensitivity or automatic start.
        QVERIFY(!form->optionsDialog().ComboBox2->isEnabled());
        QVERIFY(!form->optionsDialog().Edit1->isEnabled());

        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
        QVERIFY(!form->core().acquisition().DataMode());
        QVERIFY(form->Open1->menuAction()->isEnabled());
        QVERIFY(form->Remarks1->isEnabled());
        QVERIFY(form->N24->isEnabled());
        QVERIFY(form->ComboBox3->isEnabled());
        QVERIFY(form->SpeedButton2->isEnabled());
        QVERIFY(form->speedbutton1->isEnabled());
        QVERIFY(form->optionsDialog().ComboBox2->isEnabled());
    }

    void aRecordedSecondFillsTheStatusBarAndTheDataFile() {
        answerTheStartUpGpsRequest();
        chooseRate(8);  // 256 Hz
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(form->core().acquisition().DataMode());
        // Seconds are recorded from the third of a run on.
        sendSecondsAtLinePace(4);
        QTRY_COMPARE(form->panels().panelText(0), QString("Time: 12 00 03"));
        QCOMPARE(form->panels().panelText(1), QString("Bx: 4000 bit"));
        QCOMPARE(form->panels().panelText(2), QString("By: -4000 bit"));
        QCOMPARE(form->panels().panelText(3), QString("Bz: 14000 bit"));
        const std::string file = (dir / "20090819120002.zuv").string();
        QCOMPARE(form->windowTitle(), QString::fromStdString("ZUVA-7k Logger - Version 3.8 - 19.08.2009 - " + file));
        waitForChartPoints(512);
        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
        QVERIFY(fs::exists(file));
    }

    // The window watches its station as the headless recorder does: the days of
    // disk left at start-up, the PC clock against the instrument's with each second.
    void theWindowWatchesDiskSpaceAndTheClock() {
        const QRegularExpression disk("^Disk space: \\d+\\.\\d days of recording left in " +
                                      QRegularExpression::escape(QString::fromStdString(dir.string())) + "$");
        const auto& lines = form->core().eventLog().lines();
        QVERIFY(std::any_of(lines.begin(), lines.end(), [&disk](const std::string& line) {
            return disk.match(QString::fromStdString(line).section(": ", 1, -1)).hasMatch();
        }));
        QVERIFY(form->health().disk().daysLeft().has_value());
        answerTheStartUpGpsRequest();
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        sendSecondsAtLinePace(3);
        waitForChartPoints(64);
        // 2009-08-19 12:00:03 ended more than 17 years before this test ran.
        const auto offset = form->health().clockOffset().offset();
        QVERIFY(offset.has_value());
        QVERIFY2(*offset > 17 * 365.0 * 86400.0, qPrintable(QString::number(*offset)));
        QVERIFY(lastLogLinesContain("Clock offset: PC minus instrument " +
                                    zuva::service::ClockOffsetWatch::offsetText(*offset)));
        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
    }

    void aVanishedPortIsReopenedWhileTheWindowRecords() {
        answerTheStartUpGpsRequest();
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(form->core().acquisition().DataMode());
        // Pull the line out: both ends closed, the name gone; then the same line back
        // under it (a port that comes back as another device is not reopened).
        const fs::path link = dir / "zuva-ports" / "win";
        const std::string device = ::ttyname(slave);
        ::close(master);
        fs::remove(link);
        QTRY_VERIFY_WITH_TIMEOUT(
            lastLogLinesContain("ComPort lost: " + link.string() + " (system error 5: Input/output error); reconnecting") ||
                lastLogLinesContain("ComPort lost: " + link.string() + " (system error 32: Broken pipe); reconnecting"),
            10000);
        // The test's own slave handle kept the terminal's number taken until now, so
        // that no other process (tests run in parallel) gets it in the meantime.
        ::close(slave);
        QVERIFY(openPtyAgain(device));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        fs::create_symlink(::ttyname(slave), link);
        QTRY_VERIFY_WITH_TIMEOUT(lastLogLineEnd().startsWith(": ComPort reconnected: " + QString::fromStdString(link.string())), 10000);
        QVERIFY(form->core().acquisition().DataMode());
        QVERIFY(!form->SpeedButton2->isEnabled());
        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
        QVERIFY(!form->core().acquisition().DataMode());
    }

    // The instrument's line pulled out during a run and put back: the warning panel
    // and the orange charts while nothing comes, both back to normal with the data,
    // and the missing seconds a break in the line, not a ramp across them.
    void aPortGapBreaksTheLineAndShowsTheWarning() {
        auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
        form->setWatchClock([&now] { return now; });
        answerTheStartUpGpsRequest();
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(form->core().acquisition().DataMode());
        sendSecondsAtLinePace(4);
        waitForChartPoints(128);  // 12:00:02 and 12:00:03 at 64 Hz
        QLabel* warning = form->panels().warningPanel();
        form->checkDataFlow();
        QVERIFY(!warning->isVisible());
        QVERIFY(!form->charts().alarm());
        now += std::chrono::milliseconds(2500);
        form->checkDataFlow();
        QVERIFY(warning->isVisible());
        QCOMPARE(warning->text(), QString("No data since 12:00:03"));
        QVERIFY(form->charts().alarm());
        QCOMPARE(cornerColour(0), QColor(255, 214, 153));

        const fs::path link = dir / "zuva-ports" / "win";
        const std::string device = ::ttyname(slave);
        ::close(master);
        fs::remove(link);
        QTRY_COMPARE_WITH_TIMEOUT(warning->text(), QString("Port lost: reconnecting"), 10000);
        QVERIFY(warning->isVisible());
        QVERIFY(form->charts().alarm());
        // The slave handle kept the terminal's number taken until the loss was seen.
        ::close(slave);
        QVERIFY(openPtyAgain(device));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        fs::create_symlink(::ttyname(slave), link);
        QTRY_VERIFY_WITH_TIMEOUT(
            lastLogLineEnd().startsWith(": ComPort reconnected: " + QString::fromStdString(link.string())), 10000);
        // Back, but still silent: the warning names the last second that came.
        now += std::chrono::milliseconds(500);
        form->checkDataFlow();
        QCOMPARE(warning->text(), QString("No data since 12:00:03"));
        sendSecondsAtLinePace(4, 10);
        waitForChartPoints(128 + 1 + 256);  // 12:00:10..13 after the empty point: no warm-up after a gap
        form->checkDataFlow();
        QVERIFY(!warning->isVisible());
        QVERIFY(!form->charts().alarm());
        QCOMPARE(cornerColour(2), QColor(192, 192, 192));
        // One empty point between 12:00:03.984 and 12:00:10.000.
        QCOMPARE(form->charts().gapsBroken(), 1);
        const auto& points = form->charts().chart(0)->points();
        int empty = 0;
        double beforeGap = 0.0, afterGap = 0.0;
        for (std::size_t i = 1; i + 1 < points.size(); ++i) {
            if (!std::isnan(points.valueAt(i))) continue;
            ++empty;
            beforeGap = points.keyAt(i - 1);
            afterGap = points.keyAt(i + 1);
        }
        QCOMPARE(empty, 1);
        QCOMPARE(std::lround(beforeGap * 86'400'000.0), 12 * 3'600'000L + 3'984L);
        QCOMPARE(std::lround(afterGap * 86'400'000.0), 12 * 3'600'000L + 10'000L);
        // What is drawn breaks there too.
        form->charts().chart(0)->replot();
        const auto drawn = form->charts().chart(0)->series()->data();
        QCOMPARE(std::count_if(drawn->constBegin(), drawn->constEnd(),
                               [](const QCPGraphData& p) { return std::isnan(p.value); }),
                 1);
        // The day's report so far: the loss counted, the missing seconds one gap.
        const auto report = form->health().report().current(12 * 3600 + 13);
        QVERIFY(report.has_value());
        QCOMPARE(report->portLosses, std::optional<std::uint64_t>(1));
        QCOMPARE(report->recordedSeconds, std::uint64_t(6));
        QCOMPARE(report->gaps, (std::vector<zuva::products::ReportGap>{{12 * 3600 + 4, 6}}));
        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
        // Outside a run there is nothing to warn about.
        now += std::chrono::seconds(10);
        form->checkDataFlow();
        QVERIFY(!warning->isVisible());
    }

    // The stored port is missing at start-up: the window goes on without it ("COM99"),
    // and its status bar offers to wait; taken up, the port is picked up
    // when it appears and the start-up's GPS request follows.
    void aMissingPortCanBeWaitedForFromTheStatusBar() {
        form.reset();
        std::vector<unsigned char> before;  // what the window of init() sent
        readMaster(before);
        const std::string later = (dir / "zuva-ports" / "later").string();
        std::ofstream(dir / "zuva.ini") << "[Config]\nComPort=" << later
                                        << "\nGain=2\nSamplingRate=6\nStart=Not\nOutputDirectory=" << dir.string()
                                        << "\n";
        form = std::make_unique<TForm1>((dir / "zuva.ini").string());
        form->show();
        form->FormCreate();
        QVERIFY(lastLogLinesContain("Error: ComPort not available!"));
        QPushButton* wait = form->waitForPortButton();
        QVERIFY(wait != nullptr);
        QCOMPARE(wait->text(), QString::fromStdString("Wait for " + later));
        QTest::mouseClick(wait, Qt::LeftButton);
        QCOMPARE(wait->text(), QString::fromStdString("Waiting for " + later));
        QVERIFY(lastLogLineEnd() == QString::fromStdString(": Waiting for ComPort: " + later +
                                                           " (looked for again every second)"));
        fs::create_symlink(::ttyname(slave), later);
        QTRY_VERIFY_WITH_TIMEOUT(form->waitForPortButton() == nullptr, 10000);
        QVERIFY(lastLogLinesContain("ComPort detected: " + later));
        QVERIFY(lastLogLinesContain("Amplification: 100"));
        // The gain, then the GPS request, as a start-up with the port there sends them.
        std::vector<unsigned char> sent;
        QTRY_VERIFY_WITH_TIMEOUT((readMaster(sent), sent.size() >= 2), 5000);
        QCOMPARE(sent, (std::vector<unsigned char>{0x06, 0x96}));
        form->close();
        std::ifstream ini(dir / "zuva.ini");
        const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
        QVERIFY(text.find("\nComPort=" + later + "\n") != std::string::npos);
    }

    void optionsRateRuleForcesOneMinuteAtTheFastRates() {
        auto& options = form->optionsDialog();
        form->Options1->trigger();
        QVERIFY(options.isVisible());
        chooseMinutes(2);  // 60 minutes
        for (int rate : {7, 8}) {  // 128 Hz, 256 Hz
            chooseMinutes(2);
            chooseRate(rate);
            QCOMPARE(options.ComboBox5->currentText(), QString("1"));
            QVERIFY(!options.ComboBox5->isEnabled());
        }
        chooseRate(6);  // 64 Hz
        QVERIFY(options.ComboBox5->isEnabled());
        chooseMinutes(1);
        QCOMPARE(options.ComboBox5->currentText(), QString("10"));
        QTest::mouseClick(options.Button2, Qt::LeftButton);
        QVERIFY(!options.isVisible());
    }

    void everyHourInOptionsReachesTheRecording() {
        using Mode = zuva::acquisition::FileRotation::Mode;
        form->Options1->trigger();
        form->optionsDialog().RadioButton2->click();
        QCOMPARE(form->core().acquisition().decoder().rotation().mode(), Mode::EveryHour);
        QCOMPARE(lastLogLineEnd(), QString(": Open new file: Every hour"));
        form->optionsDialog().RadioButton1->click();
        QCOMPARE(form->core().acquisition().decoder().rotation().mode(), Mode::EveryMidnight);
        QCOMPARE(lastLogLineEnd(), QString(": Open new file: Every midnight"));
    }

    void aSeriesKeepsItsWindowEvenWhileMinimized() {
        chooseRate(0);  // 1 Hz, one minute on screen: 60 points
        form->showMinimized();
        std::vector<zuva::acquisition::ChartPoint> second(1);
        for (int s = 0; s < 600; ++s) {
            second[0] = {s / 86400.0, 1.0, 2.0, 3.0};  // the time of day as a fraction of a day
            form->charts().addPoints(second);
        }
        // Without redraws only the count rule holds: PointsOnScreen + 1 + 256.
        QVERIFY(form->charts().pointCount(0) <= 60 + 1 + 256);
        QVERIFY(form->charts().pointCount(0) >= 60);
        // Shown again and redrawn every second, the series drops one point per new
        // point and so never grows past that bound.
        const int whileMinimized = form->charts().pointCount(0);
        form->showNormal();
        for (int s = 600; s < 700; ++s) {
            second[0] = {s / 86400.0, 1.0, 2.0, 3.0};
            form->charts().addPoints(second);
            form->charts().chart(0)->replot();
            QCoreApplication::processEvents();
        }
        QVERIFY(form->charts().pointCount(0) <= whileMinimized);
        QVERIFY(form->charts().lastDrawnIndex() > 60);
        QCOMPARE(form->charts().pointCount(0), form->charts().pointCount(2));
    }

    void remarksOkCancelClearAndTheConfirmationAtStart() {
        auto& remarks = form->remarksDialog();
        form->Remarks1->trigger();
        QVERIFY(remarks.isVisible());
        QTest::keyClicks(remarks.Edit2, "Station A");
        QCOMPARE(remarks.Edit1->text(), QString("9"));
        QTest::mouseClick(remarks.Button1, Qt::LeftButton);  // Ok
        QVERIFY(!remarks.isVisible());
        QCOMPARE(lastLogLineEnd(), QString(": Remarks= Station A"));

        form->Remarks1->trigger();
        QTest::mouseClick(remarks.Button3, Qt::LeftButton);  // Clear: the field only
        QCOMPARE(remarks.Edit2->text(), QString());
        QCOMPARE(remarks.Edit1->text(), QString("0"));
        QTest::mouseClick(remarks.Button2, Qt::LeftButton);  // Cancel: the remark stays
        QCOMPARE(form->core().remarks().text(), std::string("Station A"));

        // Start with a remark asks for confirmation, modally, before the run begins.
        answerTheStartUpGpsRequest();
        bool asked = false;
        QTimer::singleShot(0, form.get(), [this, &asked] {
            auto& confirm = form->confirmDialog();
            asked = confirm.isVisible() && confirm.Edit2->text() == "Station A";
            confirm.Edit2->selectAll();
            QTest::keyClicks(confirm.Edit2, "Station B");
            QTest::mouseClick(confirm.Button1, Qt::LeftButton);
        });
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(asked);
        QVERIFY(form->core().acquisition().DataMode());
        QCOMPARE(form->core().remarks().text(), std::string("Station B"));
        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
    }

    void openingAFilePlotsEverySampleInNanotesla() {
        const std::string name = writeDataFile();
        QVERIFY(form->openDataFile(QString::fromStdString(name)));
        QTRY_VERIFY_WITH_TIMEOUT(!form->loading(), 10000);
        QCOMPARE(form->windowTitle(), QString::fromStdString("ZUVA7-k Logger - Version 3.8 - 19.08.2009 - " + name));
        const auto& samples = form->viewer().samples();
        QCOMPARE(samples.size(), std::size_t(12));  // 3 records of 4 samples
        // 4 Hz: sums of 64 counts, nT = sum x 0.5 / gain 1 / 64.
        QCOMPARE(samples.timeline().timeAt(0), 13 * 3600 + 45 * 60 + 1.0);
        QCOMPARE(samples.timeline().timeAt(11), 13 * 3600 + 45 * 60 + 3.75);
        QCOMPARE(samples.component(0).value(0), 50.0f);
        QCOMPARE(samples.component(1).value(0), -50.0f);
        QCOMPARE(samples.component(2).value(0), 100.0f);
        QCOMPARE(samples.component(0).value(11), 151.5f);
        QCOMPARE(samples.component(1).value(11), -151.5f);
        QCOMPARE(samples.component(2).value(11), 303.0f);
        QVERIFY(form->viewer().isVisible());
        for (int i = 0; i < 3; ++i) QVERIFY(!form->charts().chart(i)->isVisible());
        QCOMPARE(form->ProgressBar1->value(), 0);
        QVERIFY(lastLogLinesContain("Loading file: " + name));
    }

    void openingAnotherFileWhileOneLoadsShowsOnlyTheNewOne() {
        // 200 seconds at 256 Hz: far more blocks than the loader hands on before the
        // window takes them, so the first load is still under way.
        const std::string big = writeDataFile(256, 200, "120000");
        const std::string small = writeDataFile();
        QVERIFY(form->openDataFile(QString::fromStdString(big)));
        // The main thread takes nothing meanwhile: the loader fills its quota and waits.
        for (int i = 0; i < 2000 && form->blocksInFlight() < TForm1::kBlocksInFlight; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QCOMPARE(form->blocksInFlight(), TForm1::kBlocksInFlight);
        QVERIFY(form->openDataFile(QString::fromStdString(small)));
        QTRY_VERIFY_WITH_TIMEOUT(!form->loading(), 10000);
        QCoreApplication::processEvents();
        QCOMPARE(form->viewer().samples().size(), std::size_t(12));
        QCOMPARE(form->viewer().samples().component(0).value(0), 50.0f);
    }

    void openingAMissingFileSaysSoAndKeepsTheCharts() {
        const std::string name = (dir / "missing.zuv").string();
        QTimer::singleShot(0, form.get(), [] { closeActiveMessageBox(); });
        QVERIFY(!form->openDataFile(QString::fromStdString(name)));
        QVERIFY(form->charts().chart(0)->isVisible());
        QVERIFY(!form->viewer().isVisible());
    }

    void exportWritesTheTextFile() {
        const std::string name = writeDataFile();
        form->exportDataFile(QString::fromStdString(name));
        // One line per sample: time, sample number, Bx, By, Bz in nT.
        const char sep = zuva::recording::systemLocaleFormats().decimalSeparator;
        std::string expected;
        for (int k = 0; k < 3; ++k) {
            for (int j = 0; j < 4; ++j) {
                const double bx = 50.0 * (k + 1) + 0.5 * j;
                char line[96];
                std::snprintf(line, sizeof line, "13 45 %02d %d %.6f %.6f %.6f \r\n", k + 1, j + 1, bx, -bx, 2 * bx);
                expected += line;
            }
        }
        std::replace(expected.begin(), expected.end(), '.', sep);
        QCOMPARE(readText(name + ".txt"), expected);
        QCOMPARE(form->ProgressBar1->value(), 0);
    }

    void windowPlacementIsKeptInItsSection() {
        form->move(40, 30);
        form->resize(900, 700);
        form->close();
        const zuva::settings::SettingsFile settings((dir / "zuva.ini").string());
        QCOMPARE(settings.readString("TForm1", "Width", ""), std::string("900"));
        QCOMPARE(settings.readString("TForm1", "Height", ""), std::string("700"));
        form.reset();
        form = std::make_unique<TForm1>((dir / "zuva.ini").string());
        QCOMPARE(form->size(), QSize(900, 700));
    }

    void visualizationToggleMovesTheEventLineAndLogs() {
        auto& log = form->core().eventLog();
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        QCOMPARE(form->Button4->text(), QString("OFF"));
        QCOMPARE(form->Button4->toolTip(), QString("Press to visualize"));
        QVERIFY(!form->isOn());
        for (int i = 0; i < 3; ++i) QVERIFY(!form->charts().chart(i)->isVisible());
        QCOMPARE(form->ComboBox1->y(), 58);
        QCOMPARE(form->height(), 150);
        QVERIFY(QString::fromStdString(log.lines().back()).endsWith(": Visualization: Off"));

        form->charts().addPoints(std::vector<zuva::acquisition::ChartPoint>{{0.5, 1.0, 2.0, 3.0}});
        QCOMPARE(form->charts().pointCount(0), 1);
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        QCOMPARE(form->Button4->text(), QString("ON"));
        QCOMPARE(form->Button4->toolTip(), QString("Press to turn the visualization off"));
        for (int i = 0; i < 3; ++i) QVERIFY(form->charts().chart(i)->isVisible());
        QCOMPARE(form->ComboBox1->y(), 615);
        QCOMPARE(form->height(), 708);
        QCOMPARE(form->charts().pointCount(0), 0);
        QVERIFY(QString::fromStdString(log.lines().back()).endsWith(": Visualization: On"));
    }

    void overloadSwitchOffHidesWithoutTheClickLine() {
        auto& log = form->core().eventLog();
        const auto before = log.lines().back();
        form->overloadSwitchOff();
        QCOMPARE(form->Button4->text(), QString("OFF"));
        QCOMPARE(form->ComboBox1->y(), 58);
        QCOMPARE(form->height(), 150);
        QCOMPARE(log.lines().back(), before);
    }

    // After File / Open... a Start puts the live charts back, empty, also after the
    // visualization is switched off and on; the file's contents never show again.
    void startAfterOpenShowsLiveData() {
        const std::string name = writeDataFile();
        QVERIFY(form->openDataFile(QString::fromStdString(name)));
        QTRY_VERIFY_WITH_TIMEOUT(!form->loading(), 10000);
        QVERIFY(form->viewer().isVisible());
        answerTheStartUpGpsRequest();
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(form->core().acquisition().DataMode());
        QVERIFY(!form->showsViewer());
        QVERIFY(!form->viewer().isVisible());
        QCOMPARE(form->viewer().samples().size(), std::size_t(0));
        for (int i = 0; i < 3; ++i) QVERIFY(form->charts().chart(i)->isVisible());
        QCOMPARE(form->charts().pointCount(0), 0);
        QCOMPARE(form->windowTitle(), QString("ZUVA-7k Logger - Version 3.8 - 19.08.2009"));
        sendSecondsAtLinePace(4);
        waitForChartPoints(128);  // two recorded seconds at 64 Hz
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        QVERIFY(!form->viewer().isVisible());
        for (int i = 0; i < 3; ++i) QVERIFY(form->charts().chart(i)->isVisible());
        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
    }

    void aHandCloseDuringARunAsksAndKeepsRecordingByDefault() {
        answerTheStartUpGpsRequest();
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(form->core().acquisition().DataMode());
        // The close box: the question, "Keep recording" as the default; Enter keeps it.
        QString text, defaultButton;
        QTimer::singleShot(0, form.get(), [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            text = box->text();
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(!form->close());
        QCOMPARE(text, QString("A recording is running. Stop the recording and close the program?"));
        QCOMPARE(defaultButton, QString("Keep recording"));
        QVERIFY(form->isVisible());
        QVERIFY(form->core().acquisition().DataMode());
        QVERIFY(!lastLogLinesContain("Exit program"));
        // File / Exit asks the same; the other answer stops and closes.
        QString stopButton;
        QTimer::singleShot(0, form.get(), [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            for (QAbstractButton* b : box->buttons())
                if (b->text() == "Stop recording and close") {
                    stopButton = b->text();
                    b->click();
                }
        });
        form->Exit1->trigger();
        QCOMPARE(stopButton, QString("Stop recording and close"));
        QVERIFY(!form->isVisible());
        QVERIFY(!form->core().acquisition().DataMode());
        QCOMPARE(lastLogLineEnd(), QString(": Exit program"));
    }

    void closingWithoutARunOrBySignalDoesNotAsk() {
        bool asked = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, [&asked] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = true;
                box->done(0);
            }
        });
        watcher.start(5);
        answerTheStartUpGpsRequest();
        QTest::mouseClick(form->SpeedButton2, Qt::LeftButton);
        QVERIFY(form->core().acquisition().DataMode());
        // What SIGINT and SIGTERM do in the program: close at once.
        form->closeWithoutAsking();
        QCoreApplication::processEvents();
        QVERIFY(!asked);
        QVERIFY(!form->isVisible());
        QVERIFY(!form->core().acquisition().DataMode());
        QCOMPARE(lastLogLineEnd(), QString(": Exit program"));
    }

    void helpOpensTheUserGuideWithoutTheHelpFile() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        form->Help2->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(QFileInfo(catcher.urls.front().toLocalFile()).fileName(), QString("user-guide.md"));
        QVERIFY(QFileInfo(catcher.urls.front().toLocalFile()).isFile());
    }

    void exportSaysWhatItWroteAndWhyItFailed() {
        const std::string name = writeDataFile();
        form->exportDataFile(QString::fromStdString(name));
        QLabel* notice = form->panels().noticePanel();
        QVERIFY(notice->isVisible());
        const QString out = QString::fromStdString(name + ".txt");
        // The temporary folder's path decides whether the whole name fits the panel.
        const QString inPanel = out.size() <= TForm1::kNoticePathLength ? out : ".../" + QFileInfo(out).fileName();
        QCOMPARE(notice->text(), "Written 12 lines to " + inPanel);
        QCOMPARE(notice->toolTip(), "Written 12 lines to " + out);
        QCOMPARE(TForm1::exportNotice(1234567, "/data/zuva/recordings/of/the/observatory/2026/20260314000000.zuv.txt"),
                 QString("Written 1,234,567 lines to .../20260314000000.zuv.txt"));
        // The text file cannot be made (a folder has its name): the file, the
        // system's reason and the I/O error together.
        fs::remove(name + ".txt");
        fs::create_directory(name + ".txt");
        QStringList shown;
        QTimer::singleShot(0, form.get(), [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->done(0);
            }
        });
        form->exportDataFile(QString::fromStdString(name));
        QCOMPARE(shown, QStringList{"I/O error 21: Is a directory\nThe text file " + out + " was not written completely."});
        QVERIFY(!notice->isVisible());
        QCOMPARE(lastLogLineEnd(), ": Export stopped: I/O error 21: Is a directory: " + out);
        QCOMPARE(form->ProgressBar1->value(), 0);
    }

    // A remark outside ASCII goes into the header in windows-1251 and reads back.
    void remarksRoundTripThroughWindows1251() {
        const std::string remark = "M\xC3\xBCller \xD0\x9F\xD1\x83\xD0\xBD\xD0\xBA\xD1\x82 7";
        const std::string file = writeDataFile(4, 3, "134501", "20090819", remark);
        const std::string bytes = readText(file);
        QVERIFY(bytes.find("\t<remarks>M?ller \xCF\xF3\xED\xEA\xF2 7</remarks>\r\n") != std::string::npos);
        QVERIFY(form->openDataFile(QString::fromStdString(file)));
        QTRY_VERIFY_WITH_TIMEOUT(!form->loading(), 10000);
        QVERIFY(lastLogLinesContain("Remarks: M?ller \xD0\x9F\xD1\x83\xD0\xBD\xD0\xBA\xD1\x82 7."));
    }

    // Three files of three days, given out of order: one timeline in date and time,
    // broken between the days; a read-out of the nearest sample; vertical zoom.
    void theViewerShowsDaysOfFilesAsOneTimeline() {
        const std::string d3 = writeDataFile(4, 3, "134501", "20090821");
        const std::string d1 = writeDataFile(4, 3, "134501", "20090819");
        const std::string d2 = writeDataFile(4, 3, "134501", "20090820");
        QCOMPARE(form->openFolder(), QString::fromStdString(dir.string()));
        QVERIFY(form->openDataFiles({QString::fromStdString(d3), QString::fromStdString(d1), QString::fromStdString(d2)}));
        QTRY_VERIFY_WITH_TIMEOUT(!form->loading(), 10000);
        QCOMPARE(form->viewerFiles(), (QStringList{QString::fromStdString(d1), QString::fromStdString(d2),
                                                   QString::fromStdString(d3)}));
        auto& viewer = form->viewer();
        QCOMPARE(viewer.origin(), QDate(2009, 8, 19));
        const auto& samples = viewer.samples();
        QCOMPARE(samples.size(), std::size_t(36));
        const double first = 13 * 3600 + 45 * 60 + 1.0;
        QCOMPARE(samples.timeline().timeAt(0), first);
        QCOMPARE(samples.timeline().timeAt(12), 86400.0 + first);
        QCOMPARE(samples.timeline().timeAt(24), 2 * 86400.0 + first);
        QCOMPARE(form->windowTitle(),
                 QString("ZUVA7-k Logger - Version 3.8 - 19.08.2009 - 3 files, %1 ... %2")
                     .arg(QFileInfo(QString::fromStdString(d1)).fileName(), QFileInfo(QString::fromStdString(d3)).fileName()));
        // Whole view: the lines break between the days, nothing drawn across.
        viewer.resetView();
        viewer.refreshNow();
        for (int k = 0; k < 3; ++k) {
            int empty = 0;
            const auto data = viewer.componentGraph(k)->data();
            for (auto it = data->constBegin(); it != data->constEnd(); ++it) empty += std::isnan(it->value) ? 1 : 0;
            QCOMPARE(empty, 2);
        }
        // The time axis shows dates across the midnights.
        viewer.replot();
        const QVector<QString> labels = viewer.timeAxis(2)->tickVectorLabels();
        QVERIFY(!labels.isEmpty());
        QVERIFY2(std::any_of(labels.begin(), labels.end(), [](const QString& l) { return l.contains("2009-08-20"); }),
                 qPrintable(QStringList(labels.begin(), labels.end()).join('|')));
        // Read-out: the sample nearest the cursor, with its date.
        const double at = (86400.0 + first + 0.5) / 86400.0;  // day 2, 13:45:01.500
        QCOMPARE(viewer.readoutAt(at), QString("2009-08-20 13:45:01.500  Bx 51 nT  By -51 nT  Bz 102 nT"));
        QCOMPARE(viewer.readoutAt((86400.0 + 3600.0) / 86400.0), QString("2009-08-20 01:00:00.000  no data"));
        // Vertical zoom of By around 0; a reset gives the range back.
        viewer.refreshNow();
        const QCPRange before = viewer.componentRect(1)->axis(QCPAxis::atLeft)->range();
        viewer.zoomValueAround(1, 0.5, before.center());
        QVERIFY(viewer.valueZoomed(1));
        QCOMPARE(viewer.componentRect(1)->axis(QCPAxis::atLeft)->range().size(), before.size() * 0.5);
        viewer.refreshNow();  // a rebuild keeps the zoom
        QCOMPARE(viewer.componentRect(1)->axis(QCPAxis::atLeft)->range().size(), before.size() * 0.5);
        viewer.resetView();
        QVERIFY(!viewer.valueZoomed(1));
        QCOMPARE(viewer.componentRect(1)->axis(QCPAxis::atLeft)->range().size(), before.size());
    }

    void aFolderOpensAllItsDataFiles() {
        writeDataFile(4, 3, "134501", "20090820");
        writeDataFile(4, 3, "134501", "20090819");
        QVERIFY(form->openDataFiles({QString::fromStdString(dir.string())}));
        QTRY_VERIFY_WITH_TIMEOUT(!form->loading(), 10000);
        QCOMPARE(form->viewerFiles().size(), 2);
        QVERIFY(form->viewerFiles().front().endsWith("20090819134501.zuv"));
        QCOMPARE(form->viewer().samples().size(), std::size_t(24));
        QVERIFY(lastLogLinesContain("Loading file: " + (dir / "20090820134501.zuv").string()));
    }

    // Taller: the charts share the height; smaller: every control can be scrolled to.
    void theChartsShareTheHeightAndEveryControlStaysReachable() {
        form->resize(843, 1022);
        QCoreApplication::processEvents();
        const int h = form->charts().chart(0)->height();
        QCOMPARE(h, 270);
        QCOMPARE(form->charts().chart(2)->height(), h);
        QCOMPARE(form->charts().chart(1)->y(), 64 + h + 6);
        QCOMPARE(form->ComboBox1->y(), 64 + 3 * (h + 6) + 23);
        QVERIFY(form->ComboBox1->geometry().bottom() < form->scrollArea()->viewport()->height());
        QCOMPARE(form->scrollArea()->verticalScrollBar()->maximum(), 0);

        form->resize(500, 250);
        QCoreApplication::processEvents();
        QCOMPARE(form->charts().chart(0)->height(), TForm1::kMinChartHeight);
        QVERIFY(form->scrollArea()->verticalScrollBar()->maximum() > 0);
        QVERIFY(form->scrollArea()->horizontalScrollBar()->maximum() > 0);
        // Scrolled down, the event line comes into view; scrolled up and right, the GPS group.
        const auto scrolledTo = [this](bool end) {
            QScrollBar* v = form->scrollArea()->verticalScrollBar();
            QScrollBar* across = form->scrollArea()->horizontalScrollBar();
            v->setValue(end ? v->maximum() : 0);
            across->setValue(end ? 0 : across->maximum());
        };
        for (QWidget* w : std::initializer_list<QWidget*>{form->ComboBox1, form->GroupBox4, form->charts().chart(0)}) {
            scrolledTo(w == form->ComboBox1);
            // Its whole height lies in the view, its left edge too.
            const QRect inViewport(w->mapTo(form->scrollArea()->viewport(), QPoint(0, 0)), w->size());
            const QRect view = form->scrollArea()->viewport()->rect();
            QVERIFY2(inViewport.top() >= view.top() && inViewport.bottom() <= view.bottom(),
                     qPrintable(QString("%1 at %2,%3 %4x%5 in %6x%7").arg(w->metaObject()->className()).arg(inViewport.x()).arg(inViewport.y()).arg(inViewport.width()).arg(inViewport.height()).arg(view.width()).arg(view.height())));
            QVERIFY(inViewport.intersects(view));
            if (w == form->GroupBox4) QVERIFY(view.contains(inViewport));
        }
        QVERIFY(form->statusBar()->isVisible());
        QVERIFY(form->statusBar()->geometry().bottom() <= form->height());
    }

private:
    // The colour the chart is drawn with in its top left corner (its panel).
    QColor cornerColour(int chart) { return form->charts().panelColour(chart); }

    // Start-up asks the unit for its position, which holds Start, Stop and GPS
    // until a position frame arrives: the test's instrument answers.
    void answerTheStartUpGpsRequest() {
        const auto frame =
            zuva::acquisition::encodePositionFrame({2009, 8, 19, 11, 59, 0}, 0x02, "5540.1234N", "03736.5678E", "150.0");
        writeAll(frame.data(), frame.size());
        QTRY_VERIFY_WITH_TIMEOUT(form->SpeedButton2->isEnabled(), 10000);
    }

    // Seconds 12:00:00, 12:00:01, ... of 2009-08-19 (Bx 1000, 2000, ...), each of 256
    // frames: Bx = base, By = -base, Bz = base + 10000.
    // A real line brings a second's 5632 bytes spread over the second; more than 5000
    // bytes waiting at once rightly switch the charts off. A test sends a quarter of
    // a second at a time, and the next quarter only when the window has read every
    // byte of the last, so that a slow machine never finds more waiting than that.
    // (What the terminal holds is no measure: the kernel hands written bytes on to
    // the reading side a moment later.)
    void sendSecondsAtLinePace(int count, int first = 0) {
        const auto& port = form->core().port().port();
        for (int s = first; s < first + count; ++s) {
            const zuva::acquisition::FrameDateTime when{2009, 8, 19, 12, 0, s};
            const std::int32_t base = 1000 * (s + 1);
            for (int quarter = 0; quarter < 4; ++quarter) {
                std::vector<std::uint8_t> bytes;
                for (int i = 64 * quarter; i < 64 * (quarter + 1); ++i) {
                    const auto f = zuva::acquisition::encodeDataFrame(when, 0x02, static_cast<std::uint8_t>(i), base,
                                                                      -base, base + 10000);
                    bytes.insert(bytes.end(), f.begin(), f.end());
                }
                const std::uint64_t before = port.BytesRead();
                writeAll(bytes.data(), bytes.size());
                QTRY_VERIFY_WITH_TIMEOUT(port.BytesRead() >= before + bytes.size(), 20000);
            }
            QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(form->core().acquisition().decoder().TimeText()),
                                      QString("12 00 %1").arg(s, 2, 10, QChar('0')), 20000);
        }
    }

    void writeAll(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(master, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) {
                QCoreApplication::processEvents();
                continue;
            }
            QVERIFY(n > 0);
            data += n;
            size -= static_cast<std::size_t>(n);
            QCoreApplication::processEvents();
        }
    }

    void chooseRate(int index) {
        auto* box = form->optionsDialog().ComboBox2;
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    void chooseMinutes(int index) {
        auto* box = form->optionsDialog().ComboBox5;
        if (!box->isEnabled()) return;
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // Whatever the window has sent to the instrument so far, appended to `into`.
    void readMaster(std::vector<unsigned char>& into) {
        unsigned char buffer[256];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            into.insert(into.end(), buffer, buffer + n);
        }
    }

    // A new pseudo-terminal on the device number `device` had (free again), as a
    // USB adapter plugged in again is the same device: lower free numbers are held
    // while looking for it. Another process (tests run in parallel) may hold the
    // number for a moment, so the search is repeated for a while.
    bool openPtyAgain(const std::string& device) {
        for (int round = 0; round < 500; ++round) {
            std::vector<int> held;
            bool found = false;
            for (int attempt = 0; attempt < 64 && !found; ++attempt) {
                int m = -1, s = -1;
                if (::openpty(&m, &s, nullptr, nullptr, nullptr) != 0) break;
                if (device == ::ttyname(s)) {
                    master = m;
                    slave = s;
                    found = true;
                } else {
                    held.push_back(m);
                    held.push_back(s);
                }
            }
            for (const int fd : held) ::close(fd);
            if (found) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    QString lastLogLineEnd() const {
        const QString line = QString::fromStdString(form->core().eventLog().lines().back());
        const auto colon = line.indexOf(": ");
        return colon < 0 ? line : line.mid(colon);
    }

    // Waits for the live charts to hold `points` points; says what the event log
    // last said when they do not.
    void waitForChartPoints(int points) {
        const bool filled = QTest::qWaitFor([&] { return form->charts().pointCount(0) == points; }, 10000);
        QString recent;
        const auto& lines = form->core().eventLog().lines();
        for (std::size_t i = lines.size() > 8 ? lines.size() - 8 : 0; i < lines.size(); ++i)
            recent += "\n  " + QString::fromStdString(lines[i]);
        QVERIFY2(filled,
                 qPrintable(QString("%1 points; the event log last said:%2").arg(form->charts().pointCount(0)).arg(recent)));
    }

    bool lastLogLinesContain(const std::string& text) const {
        for (const auto& line : form->core().eventLog().lines())
            if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0)
                return true;
        return false;
    }

    // By default a 4 Hz file (averaging 64) of three seconds 13:45:01..03 at
    // sensitivity 0.5 and gain 1: record k, triple j holds Bx = 6400 (k + 1) + 64 j,
    // By = -Bx, Bz = 2 Bx (sums of `averaging` counts).
    std::string writeDataFile(int rate = 4, int seconds = 3, const std::string& fileTime = "134501",
                              const std::string& fileDate = "20090819", const std::string& remark = "") {
        zuva::recording::EventLog& log = form->core().eventLog();
        zuva::recording::DataFileWriter writer(log);
        writer.setOutputDirectory(dir.string());
        writer.setRemarksText(remark);
        zuva::recording::DataFileHeaderInfo info;
        info.fileDate = fileDate;
        info.fileTime = fileTime;
        info.dateText = fileDate.substr(0, 4) + " " + fileDate.substr(4, 2) + " " + fileDate.substr(6, 2);
        info.averaging = static_cast<std::uint16_t>(256 / rate);
        info.samplingRateText = std::to_string(rate);
        info.sensitivity = 0.5;
        info.gainText = "1";
        writer.OpenNewDataFile(info);
        for (int k = 0; k < seconds; ++k) {
            zuva::recording::SecondRecord r;
            r.statusByte = 0x08;
            r.hour = 13;
            r.minute = static_cast<std::uint8_t>(45 + (k + 1) / 60);
            r.second = static_cast<std::uint8_t>((k + 1) % 60);
            r.tripleCount = static_cast<std::uint16_t>(rate);
            for (int j = 0; j < rate; ++j) {
                r.bx[j] = 6400 * (k + 1) + 64 * j;
                r.by[j] = -r.bx[j];
                r.bz[j] = 2 * r.bx[j];
            }
            writer.AppendSecondRecord(r);
        }
        return writer.DataFileName();
    }

    static std::string readText(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    static void closeActiveMessageBox() {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    }

    fs::path dir, oldCwd;
    int master = -1, slave = -1;
    std::unique_ptr<TForm1> form;
};

int main(int argc, char** argv) {
    zuva::window_test::useScreen(1600, 1000, 1.0);
    QApplication application(argc, argv);
    TForm1Test test;
    return QTest::qExec(&test, argc, argv);
}
#include "TForm1Test.moc"

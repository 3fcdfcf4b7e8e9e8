// The main window on a 1280 x 1024 screen at 150 % scaling (853 x 683 logical
// pixels): the window fits the screen, so the status bar stays on it, and every
// control can be reached.
#include "app/TForm1.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/window/WindowScreen.h"
#include "display/LiveCharts.h"

namespace fs = std::filesystem;
using zuva::app::TForm1;

class ScaledWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        std::string pattern = (fs::temp_directory_path() / "zuva-scaled-XXXXXX").string();
        QVERIFY(::mkdtemp(pattern.data()) != nullptr);
        dir = pattern;
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        // No port: the window opens without recording.
        std::ofstream(dir / "zuva.ini") << "[Config]\nComPort=COM99\nStart=0\nOutputDirectory=" << dir.string() << "\n";
    }
    void cleanup() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void theWindowFitsAScaledScreen() {
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen != nullptr);
        QCOMPARE(screen->devicePixelRatio(), 1.5);
        const QRect available = screen->availableGeometry();
        QCOMPARE(available.size(), QSize(853, 683));
        TForm1 form((dir / "zuva.ini").string());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Room left for a title bar; the status bar lies inside the screen.
        QVERIFY(form.height() <= available.height() - 40);
        QVERIFY(form.width() <= available.width());
        const QPoint statusBottom = form.statusBar()->mapTo(&form, QPoint(0, form.statusBar()->height()));
        QVERIFY(form.geometry().top() + statusBottom.y() <= available.bottom() + 1);
        QVERIFY(form.statusBar()->isVisible());
        // The charts gave up height; everything below them is in view without scrolling.
        QVERIFY(form.charts().chart(0)->height() < 170);
        QVERIFY(form.charts().chart(0)->height() >= TForm1::kMinChartHeight);
        const QRect view = form.scrollArea()->viewport()->rect();
        const QRect eventLine(form.ComboBox1->mapTo(form.scrollArea()->viewport(), QPoint(0, 0)), form.ComboBox1->size());
        QVERIFY(view.contains(eventLine));
        const QRect gps(form.GroupBox4->mapTo(form.scrollArea()->viewport(), QPoint(0, 0)), form.GroupBox4->size());
        QVERIFY(view.contains(gps));
    }

private:
    fs::path dir;
};

int main(int argc, char** argv) {
    zuva::window_test::useScreen(1280, 1024, 1.5);
    QApplication application(argc, argv);
    ScaledWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ScaledWindowTest.moc"

// zuva-logger: the data logger for the ZUVA-7k magnetometer.
//
//   zuva-logger [--headless [--every-hour] [--remarks TEXT]] [--config PATH] [FILE|FOLDER...]
//
// Without --headless the program opens its main window; closing it (or SIGINT and
// SIGTERM, which close it as File / Exit does) runs the shut-down sequence. Data
// files (or folders of them) named on the command line open in the window's viewer.
//
// Headless, the program records without windows: it runs the start-up sequence
// (automatic Start or GPS request as the settings say), prints one line per
// completed second and runs the shut-down sequence on SIGINT or SIGTERM. It is made to
// run unattended as a systemd service: it waits for a stored port or output directory
// that is missing at start-up, copies every event-log line to standard error (the
// journal), notifies the service manager (READY, STATUS, WATCHDOG) and watches the
// disk space and the clocks, and writes a daily report at each UTC midnight.

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/HeadlessPanels.h"
#include "app/HeadlessStation.h"
#include "app/HeadlessStatus.h"
#include "app/ProgramCore.h"
#include "app/QtDispatcher.h"
#include "app/QtNoResponseTimer.h"
#include "app/QtRetryTimer.h"
#include "app/SignalPipe.h"
#include "app/TForm1.h"

namespace {

// What the headless recorder is given on the command line beyond the settings file.
struct HeadlessOptions {
    bool everyHour = false;
    std::optional<std::string> remarks;
};

int runHeadless(int argc, char** argv, const std::optional<std::string>& config, const HeadlessOptions& options) {
    QCoreApplication application(argc, argv);
    zuva::app::QtDispatcher dispatcher;
    zuva::app::QtNoResponseTimer timer;
    zuva::app::NoCharts charts;
    const auto reportError = [](const std::string& message) {
        std::fprintf(stderr, "zuva-logger: %s\n", message.c_str());
    };

    zuva::app::HeadlessPanels panels;
    zuva::app::QtRetryTimer retryTimer;
    zuva::app::ProgramCore::Frontend frontend{dispatcher, timer, charts, panels, charts};
    frontend.reportError = reportError;
    frontend.retryTimer = &retryTimer;
    frontend.unattended = true;
    zuva::app::ProgramCore* corePointer = nullptr;
    frontend.afterOptionsCreated = [&corePointer, &options] {
        if (options.everyHour) corePointer->options().RadioButton2Click();
        if (options.remarks) corePointer->remarks().set(*options.remarks);
    };
    zuva::app::ProgramCore core(frontend, zuva::settings::SettingsFile::choosePath(config));
    corePointer = &core;
    zuva::app::HeadlessStatus status(std::cout, core.dataFile());
    panels.setStatus(&status);
    timer.setOnTimeout([&core] { core.Timer5Timer(); });
    retryTimer.setOnTimeout([&core] { core.RetryTimerTimer(); });
    zuva::app::HeadlessStation station(core, panels);

    bool closing = false;
    zuva::app::SignalPipe signalPipe([&](int) {
        if (closing) return;
        closing = true;
        station.stopping();
        core.shutDown();
        QCoreApplication::exit(0);
    });

    core.startUp();
    station.started();
    return QCoreApplication::exec();
}

// Qt cannot open a window without a display and would abort; say why instead.
bool displayAvailable() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// The main window. files: data files and folders shown in the viewer at start.
// screenshot: when set, the window is grabbed to that PNG file after `seconds` and
// then closed through the normal shut-down (used for documentation).
int runWindow(int argc, char** argv, const std::optional<std::string>& config, const std::vector<std::string>& files,
              const std::string& screenshot, int seconds) {
    QApplication application(argc, argv);
    zuva::app::TForm1 form(zuva::settings::SettingsFile::choosePath(config));
    // SIGINT and SIGTERM close the window as File / Exit does. A message box or the
    // Confirm dialog open at that moment is closed first, so that its own event
    // loop ends and the shut-down runs to the end.
    zuva::app::SignalPipe signalPipe([&form](int) {
        for (int i = 0; i < 8; ++i) {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == &form) break;
            modal->close();
        }
        // A signal ends the program at once: no question about a running recording.
        QTimer::singleShot(0, &form, [&form] { form.closeWithoutAsking(); });
    });
    form.show();
    form.FormCreate();
    if (!files.empty()) {
        QStringList names;
        for (const std::string& f : files) names << QString::fromStdString(f);
        form.openGivenFiles(names);
    }
    if (!screenshot.empty()) {
        QTimer::singleShot(seconds * 1000, &form, [&form, screenshot] {
            if (!form.grab().save(QString::fromStdString(screenshot), "PNG"))
                std::fprintf(stderr, "zuva-logger: cannot write %s\n", screenshot.c_str());
            form.closeWithoutAsking();
        });
    }
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    zuva::app::CommandLine args;
    try {
        args = zuva::app::CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const zuva::app::CommandLineError& e) {
        std::fprintf(stderr, "zuva-logger: %s\n", e.what());
        std::fputs(zuva::app::CommandLine::usage(), stderr);
        return 2;
    }
    if (args.help) {
        std::fputs(zuva::app::CommandLine::usage(), stdout);
        return 0;
    }
    try {
        if (!args.headless) {
            if (!displayAvailable()) {
                std::fputs("zuva-logger: no display to open the main window on (DISPLAY is not set); "
                           "use --headless to record without windows\n",
                           stderr);
                return 3;
            }
            return runWindow(argc, argv, args.config, args.files, args.screenshot, args.seconds);
        }
        return runHeadless(argc, argv, args.config, {args.everyHour, args.remarks});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zuva-logger: %s\n", e.what());
        return 1;
    }
}

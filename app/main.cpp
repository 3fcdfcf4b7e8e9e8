// zuva-logger: the data logger for the ZUVA-7k magnetometer.
//
//   zuva-logger [--headless] [--config PATH]
//
// Without --headless the program opens its main window; closing it (or SIGINT and
// SIGTERM, which close it as File / Exit does) runs the shut-down sequence.
//
// Headless, the program records without windows: it runs the start-up sequence
// (automatic Start or GPS request as the settings say), prints one line per
// completed second and runs the shut-down sequence on SIGINT or SIGTERM.

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/HeadlessStatus.h"
#include "app/ProgramCore.h"
#include "app/QtDispatcher.h"
#include "app/QtNoResponseTimer.h"
#include "app/QtRetryTimer.h"
#include "app/SignalPipe.h"
#include "app/TForm1.h"

namespace {

void usage(std::FILE* to) {
    std::fputs(
        "usage: zuva-logger [--headless] [--config PATH]\n"
        "  --headless     record without windows; SIGINT or SIGTERM ends the program\n"
        "  --config PATH  the settings file (default: zuva.ini beside the program)\n"
        "  --screenshot FILE [--seconds N]\n"
        "                 with the window: save a picture of it to FILE (PNG) after N\n"
        "                 seconds (default 5), then close it as File / Exit does\n",
        to);
}

int runHeadless(int argc, char** argv, const std::optional<std::string>& config) {
    QCoreApplication application(argc, argv);
    zuva::app::QtDispatcher dispatcher;
    zuva::app::QtNoResponseTimer timer;
    zuva::app::NoCharts charts;
    const auto reportError = [](const std::string& message) {
        std::fprintf(stderr, "zuva-logger: %s\n", message.c_str());
    };

    // The status line needs the data file writer, which the core owns.
    struct Panels final : zuva::acquisition::StatusPanels {
        zuva::app::HeadlessStatus* status = nullptr;
        void setPanelText(int panel, const std::string& text) override {
            if (status) status->setPanelText(panel, text);
        }
        void setBacklog(std::size_t seconds) override {
            if (status) status->setBacklog(seconds);
        }
    } panels;

    zuva::app::QtRetryTimer retryTimer;
    zuva::app::ProgramCore::Frontend frontend{dispatcher, timer, charts, panels, charts};
    frontend.reportError = reportError;
    frontend.retryTimer = &retryTimer;
    zuva::app::ProgramCore core(frontend, zuva::settings::SettingsFile::choosePath(config));
    zuva::app::HeadlessStatus status(std::cout, core.dataFile());
    panels.status = &status;
    timer.setOnTimeout([&core] { core.Timer5Timer(); });
    retryTimer.setOnTimeout([&core] { core.RetryTimerTimer(); });

    bool closing = false;
    zuva::app::SignalPipe signalPipe([&](int) {
        if (closing) return;
        closing = true;
        core.shutDown();
        QCoreApplication::exit(0);
    });

    core.startUp();
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

// The main window. screenshot: when set, the window is grabbed to that PNG file after
// `seconds` and then closed through the normal shut-down (used for documentation).
int runWindow(int argc, char** argv, const std::optional<std::string>& config, const std::string& screenshot,
              int seconds) {
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
    bool headless = false;
    std::optional<std::string> config;
    std::string screenshot;
    int seconds = 5;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--headless") == 0) {
            headless = true;
        } else if (std::strcmp(arg, "--config") == 0 && i + 1 < argc) {
            config = argv[++i];
        } else if (std::strncmp(arg, "--config=", 9) == 0) {
            config = std::string(arg + 9);
        } else if (std::strcmp(arg, "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (std::strcmp(arg, "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
            if (seconds < 0 || seconds > 3600) seconds = 5;
        } else if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "zuva-logger: unknown argument '%s'\n", arg);
            usage(stderr);
            return 2;
        }
    }
    try {
        if (!headless) {
            if (!displayAvailable()) {
                std::fputs("zuva-logger: no display to open the main window on (DISPLAY is not set); "
                           "use --headless to record without windows\n",
                           stderr);
                return 3;
            }
            return runWindow(argc, argv, config, screenshot, seconds);
        }
        return runHeadless(argc, argv, config);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zuva-logger: %s\n", e.what());
        return 1;
    }
}

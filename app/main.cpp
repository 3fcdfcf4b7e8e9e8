// zuva-logger: the data logger for the ZUVA-7k magnetometer.
//
//   zuva-logger --headless [--config PATH]
//
// Headless, the program records without windows: it runs the start-up sequence
// (automatic Start or GPS request as the settings say), prints one line per
// completed second and runs the shut-down sequence on SIGINT or SIGTERM.

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "app/HeadlessStatus.h"
#include "app/ProgramCore.h"
#include "app/QtDispatcher.h"
#include "app/QtNoResponseTimer.h"
#include "app/SignalPipe.h"

namespace {

void usage(std::FILE* to) {
    std::fputs(
        "usage: zuva-logger --headless [--config PATH]\n"
        "  --headless     record without windows; SIGINT or SIGTERM ends the program\n"
        "  --config PATH  the settings file (default: zuva.ini beside the program)\n",
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
    } panels;

    zuva::app::ProgramCore::Frontend frontend{dispatcher, timer, charts, panels, charts};
    frontend.reportError = reportError;
    zuva::app::ProgramCore core(frontend, zuva::settings::SettingsFile::choosePath(config));
    zuva::app::HeadlessStatus status(std::cout, core.dataFile());
    panels.status = &status;
    timer.setOnTimeout([&core] { core.Timer5Timer(); });

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

}  // namespace

int main(int argc, char** argv) {
    bool headless = false;
    std::optional<std::string> config;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--headless") == 0) {
            headless = true;
        } else if (std::strcmp(arg, "--config") == 0 && i + 1 < argc) {
            config = argv[++i];
        } else if (std::strncmp(arg, "--config=", 9) == 0) {
            config = std::string(arg + 9);
        } else if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "zuva-logger: unknown argument '%s'\n", arg);
            usage(stderr);
            return 2;
        }
    }
    if (!headless) {
        std::fputs("zuva-logger: the main window is not available in this build; use --headless\n", stderr);
        return 3;
    }
    try {
        return runHeadless(argc, argv, config);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zuva-logger: %s\n", e.what());
        return 1;
    }
}

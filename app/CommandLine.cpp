#include "app/CommandLine.h"

#include <cstdlib>

namespace zuva::app {

const char* CommandLine::usage() {
    return "usage: zuva-logger [--headless [--every-hour] [--remarks TEXT]] [--config PATH] [FILE|FOLDER...]\n"
           "  --headless     record without windows; SIGINT or SIGTERM ends the program\n"
           "  --every-hour   headless: begin a new data file every hour (default: every midnight)\n"
           "  --remarks TEXT headless: the remark written into every new data file header\n"
           "  --config PATH  the settings file (default: zuva.ini beside the program)\n"
           "  --screenshot FILE [--seconds N]\n"
           "                 with the window: save a picture of it to FILE (PNG) after N\n"
           "                 seconds (default 5), then close it as File / Exit does\n"
           "  FILE|FOLDER    data files (*.zuv), or folders of them, shown in the viewer at start\n"
           "                 as one timeline, as File / Open... shows them (not while a recording\n"
           "                 started by the settings runs); \"--\" before names that begin with \"-\"\n";
}

CommandLine CommandLine::parse(const std::vector<std::string>& args) {
    CommandLine c;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (onlyFiles || arg.empty() || arg[0] != '-') {
            if (arg.empty()) throw CommandLineError("an empty file name");
            c.files.push_back(arg);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--headless") {
            c.headless = true;
        } else if (arg == "--every-hour") {
            c.everyHour = true;
        } else if (arg == "--remarks" && hasValue) {
            c.remarks = args[++i];
        } else if (arg == "--config" && hasValue) {
            c.config = args[++i];
        } else if (arg.rfind("--config=", 0) == 0) {
            c.config = arg.substr(9);
        } else if (arg == "--screenshot" && hasValue) {
            c.screenshot = args[++i];
        } else if (arg == "--seconds" && hasValue) {
            c.seconds = std::atoi(args[++i].c_str());
            if (c.seconds < 0 || c.seconds > 3600) c.seconds = 5;
        } else if (arg == "-h" || arg == "--help") {
            c.help = true;
            return c;
        } else {
            throw CommandLineError("unknown argument '" + arg + "'");
        }
    }
    if (!c.headless && (c.everyHour || c.remarks)) {
        throw CommandLineError("--every-hour and --remarks go with --headless; the window has them in its "
                               "Options and Remarks dialogs");
    }
    if (c.headless && !c.files.empty()) {
        throw CommandLineError("data files open in the window's viewer; --headless records only (given: '" +
                               c.files.front() + "')");
    }
    return c;
}

}  // namespace zuva::app

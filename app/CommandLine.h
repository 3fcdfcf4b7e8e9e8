#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zuva::app {

// The command line of zuva-logger:
//   zuva-logger [--headless [--every-hour] [--remarks TEXT]] [--config PATH]
//               [--screenshot FILE [--seconds N]] [FILE|FOLDER...]
// Data files and folders of them, named after the options (or after "--"), open in
// the window's viewer at start, as File / Open... opens them.
struct CommandLine {
    bool help = false;
    bool headless = false;
    bool everyHour = false;
    std::optional<std::string> remarks;
    std::optional<std::string> config;
    std::string screenshot;
    int seconds = 5;  // before the screenshot; out of 0..3600 it stays 5
    std::vector<std::string> files;

    // Throws CommandLineError with the message to print before the usage.
    static CommandLine parse(const std::vector<std::string>& args);
    static const char* usage();
};

class CommandLineError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

}  // namespace zuva::app

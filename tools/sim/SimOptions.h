#pragma once

#include <optional>
#include <string>
#include <vector>

#include "acquisition/FrameEncoder.h"

namespace zuva::sim {

// The command line of zuva-sim.
struct SimOptions {
    std::string name = "sim0";                             // --name: the port's name in the ports directory
    std::string portsDir;                                  // --ports-dir; empty: the user's ports directory
    std::optional<acquisition::FrameDateTime> start;      // --start "YYYY-MM-DD HH:MM:SS"; else the PC's time
    double seconds = 0;                                    // --seconds: run time in real seconds; 0 until a signal
    double rateMultiplier = 1;                             // --rate-multiplier: simulated seconds per real second
    std::string latitude = "4807.0380N";                   // --lat (10 characters in the frame)
    std::string longitude = "01131.0000E";                 // --lon (11)
    std::string altitude = "545.4";                        // --alt (7)
    bool gpsAvailable = true;                              // --no-gps clears it
    int badChecksumEvery = 0;                              // --bad-checksum-every N DataFrames
    int loseEndEvery = 0;                                  // --lose-end-every N seconds
    int loseEndCount = 3;                                  // --lose-end-count: frames dropped at such a second's end
    int gpsToggleEvery = 0;                                // --gps-toggle-every N seconds
    int burst = 1;                                         // --burst N: frames written N at a time
    int dropFrameEvery = 0;                                // --drop-frame-every N DataFrames
    int junkEvery = 0;                                     // --junk-every N DataFrames
    bool silent = false;                                   // --silent: never answers
    double unplugAt = 0;                                   // --unplug-at: real seconds until the line is pulled out
    double unplugFor = 0;                                  // --unplug-for: real seconds until it is back; 0: never pulled
    std::string journal;                                   // --journal FILE
    // Data files of simulated days instead of a serial line (--write-files DIR).
    std::string writeFiles;                                // --write-files DIR
    std::optional<acquisition::FrameDateTime> from;       // --from YYYY-MM-DD: the first day (midnight)
    int days = 1;                                          // --days N: whole days, 1..31
    int rateIndex = 2;                                     // --rate-index N: 2^N Hz, 0..8
    double sensitivity = 1.0;                              // --sensitivity X: nT per bit in the headers
    bool help = false;                                     // --help
};

// Parses the arguments (without the program name). Throws std::invalid_argument
// with a message naming the bad option.
SimOptions parseSimOptions(const std::vector<std::string>& args);

// "YYYY-MM-DD" (2000..2099, a valid date): its midnight.
std::optional<acquisition::FrameDateTime> parseDay(const std::string& text);

// "YYYY-MM-DD HH:MM:SS" with a year 2000..2099 and a valid date and time.
std::optional<acquisition::FrameDateTime> parseStartTime(const std::string& text);

const char* simUsage();

}  // namespace zuva::sim

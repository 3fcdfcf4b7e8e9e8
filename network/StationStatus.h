#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zuva::network {

// The station's health as the retained status message shows it to people watching.
// Disk days left and the clock offset come from parts of the program that may not
// report them; they are null in the message until they do.
struct StationStatus {
    std::int64_t time = 0;                 // UTC seconds when the status was taken
    bool recording = false;
    std::string dataFile;                  // the current data file, empty if none
    std::optional<std::int64_t> lastSecond;  // UTC seconds of the last completed second
    std::uint64_t backlogSeconds = 0;      // seconds waiting to be written to the data file
    std::string port;                      // the serial port state, e.g. "/dev/ttyUSB0 open"
    std::optional<double> diskDaysLeft;
    std::optional<double> clockOffsetSeconds;
    std::uint64_t secondsRecorded = 0;     // counters of the day
    std::uint64_t secondsLost = 0;
    std::uint64_t samplesFilled = 0;
    std::uint64_t frameErrors = 0;
    std::uint64_t mqttBacklog = 0;         // messages waiting for the broker (the publisher fills it in)

    std::string compose() const;
    // The last will and the farewell at shut-down.
    static std::string offline(std::int64_t time);
};

}  // namespace zuva::network

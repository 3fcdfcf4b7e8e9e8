#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording/LogSink.h"
#include "settings/StationSettings.h"

namespace zuva::products {

// Input that cannot be converted, with the text to show.
class IagaConversionError : public std::runtime_error {
public:
    enum class Kind { BadInput, Unreadable };
    explicit IagaConversionError(const std::string& message, Kind kind = Kind::BadInput)
        : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Turns recorded data files (".zuv", any rate) and IAGA-2002 one-second files into
// IAGA-2002 day files. The inputs are joined in time order across file and day
// boundaries, so that the filters at midnight use the neighbouring day; every UTC
// day that holds input data gets one file per interval with every second (or
// minute) of the day as a record, 99999.00 where there is no value. Each file is
// written under a temporary name and renamed when whole.
//
// The IAGA code and metadata come from the IAGA-2002 inputs' own headers and from
// the station settings; latitude, longitude and elevation left empty by both come
// from the data files' GPS texts. Data files named for the PC clock ("..._.zuv")
// have no trustworthy UTC time and are left out with a warning.
class IagaConversion {
public:
    struct Request {
        std::vector<std::string> inputs;
        std::optional<settings::StationSettings> station;
        bool seconds = true;
        bool minutes = true;
        std::string outDir = ".";
    };
    struct Result {
        std::vector<std::string> written;   // the paths of the files written, in order
        std::vector<std::string> warnings;  // inputs left out, seconds out of order
    };

    explicit IagaConversion(recording::LogSink& log) : log_(log) {}

    // Throws IagaConversionError for input it cannot place (unreadable, neither a data
    // file nor IAGA-2002, files of different stations, no IAGA code) and when a file
    // cannot be written; nothing is then left under a final name of a file not
    // completed.
    Result run(const Request& request);

private:
    recording::LogSink& log_;
};

}  // namespace zuva::products

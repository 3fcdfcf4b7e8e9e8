#pragma once

#include <optional>
#include <string>

#include "products/FieldValue.h"

namespace zuva::network {

// The topics: INTERMAGNET's data topics impf/<code>/<cadence>/<level>/<elements> (all
// lower case; cadence pt1s or pt1m) and the station's own status and log topics.
struct ImpfTopic {
    std::string code;  // lower case
    products::Interval interval = products::Interval::Second;
    int level = 1;
    std::string elements = "xyzs";

    static std::string data(const std::string& code, products::Interval interval, int level);
    static std::string status(const std::string& code);  // zuva/<code>/status
    static std::string log(const std::string& code);     // zuva/<code>/log

    // The parts of a data topic; nullopt for anything else.
    static std::optional<ImpfTopic> parse(const std::string& topic);
    // The station code of a status topic; empty for anything else.
    static std::string statusCode(const std::string& topic);
};

}  // namespace zuva::network

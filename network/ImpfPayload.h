#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "products/FieldValue.h"

namespace zuva::network {

// What the first message of each day tells about the station besides the values.
struct StationMetadata {
    std::string name;
    std::string institute;
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::optional<double> elevation;
    std::string orientation = "XYZ";
};

// The payload of one data message in INTERMAGNET's MQTT format: the time of the
// first value and one value per second (or minute) of each component, NaN for a
// missing one (null in the JSON).
struct ImpfPayload {
    products::Interval interval = products::Interval::Second;
    std::int64_t start = 0;  // UTC seconds of the first value
    std::vector<double> x, y, z;

    std::size_t size() const { return x.size(); }
    std::int64_t step() const { return interval == products::Interval::Second ? 1 : 60; }

    // The JSON text; `metadata` adds the station's description (first message of a day).
    std::string compose(const StationMetadata* metadata) const;

    // Reads a payload. Refuses (nullopt, reason in `problem`) a payload that is no JSON
    // object, lacks startDate or one of the three arrays, has arrays of different
    // lengths or items that are neither numbers nor null, or a startDate that is not
    // on the interval (seconds given for minute data, or not a whole minute).
    static std::optional<ImpfPayload> parse(products::Interval interval, const std::string& json,
                                            std::string& problem);
};

}  // namespace zuva::network

#pragma once

#include <optional>
#include <string>

#include "products/FieldValue.h"
#include "products/IagaHeader.h"
#include "settings/StationSettings.h"

namespace zuva::products {

// The position texts of the instrument's last position reply ("4807.0380N",
// "01131.0000E", "545.4"), or the GPS elements of a data file header.
struct PositionTexts {
    std::string latitude;
    std::string longitude;
    std::string altitude;
};

// Makes the IAGA-2002 header of a station's files from the section "Station";
// latitude, longitude and elevation that the section leaves empty come from the
// position texts.
class IagaStationHeader {
public:
    static IagaHeader make(const settings::StationSettings& station, const PositionTexts& position, Interval interval);

    // Degrees from a position text: "ddmm.mmmmN" / "dddmm.mmmmE" (degrees and minutes
    // with the hemisphere), or a plain decimal number of degrees. South and west are
    // negative. nullopt for anything else.
    static std::optional<double> degrees(const std::string& text);
    // Metres from an altitude text ("545.4", "545.4 M").
    static std::optional<double> metres(const std::string& text);
};

}  // namespace zuva::products

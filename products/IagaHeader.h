#pragma once

#include <array>
#include <string>
#include <vector>

namespace zuva::products {

// The header of an IAGA-2002 file: the values of its twelve header records (as the
// texts that stand from column 25), its comment records and the four element
// letters of its columns.
struct IagaHeader {
    std::string format = "IAGA-2002";
    std::string source;           // Source of Data: the institute
    std::string stationName;
    std::string iagaCode;         // three letters, upper case
    std::string latitude;         // Geodetic Latitude, degrees north, as written
    std::string longitude;        // Geodetic Longitude, degrees east 0..360, as written
    std::string elevation;        // metres, as written
    std::string reported = "XYZF";
    std::string orientation = "XYZ";
    std::string digitalSampling = "0.00390625 second";
    std::string intervalType;     // "1-second" or "1-minute (00:15-01:45)"
    std::string dataType = "variation";
    std::vector<std::string> comments;

    // The element letters of the four data columns: the Reported value's letters.
    std::array<char, 4> elements() const {
        std::array<char, 4> e{'X', 'Y', 'Z', 'F'};
        for (std::size_t i = 0; i < 4 && i < reported.size(); ++i) e[i] = reported[i];
        return e;
    }
};

}  // namespace zuva::products

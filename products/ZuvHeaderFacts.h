#pragma once

#include <optional>
#include <string>

#include "products/IagaStationHeader.h"

namespace zuva::products {

// What a data file's XML header tells beyond what the record readers need: the date
// the file began (its records carry only the time of day) and the GPS texts.
struct ZuvHeaderFacts {
    int year = 0;
    int month = 0;
    int day = 0;
    PositionTexts position;

    // Reads the year, month, day and GPS elements from the header at the start of a
    // data file. nullopt when the file has no header end line or no valid date
    // within its first 64 KiB; throws std::runtime_error when it cannot be read.
    static std::optional<ZuvHeaderFacts> read(const std::string& path);
};

}  // namespace zuva::products

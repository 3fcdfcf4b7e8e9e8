#pragma once

#include <cstdint>

namespace zuva::products {

// The interval a data product's values stand for.
enum class Interval { Second, Minute };

// One value of the three components as the IAGA-2002 files and the publisher carry
// it: the field at the instant `time` (seconds since 1970-01-01 00:00:00 UTC; the
// centre of the second or minute), in nT. A missing component is NaN.
struct FieldValue {
    std::int64_t time = 0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

}  // namespace zuva::products

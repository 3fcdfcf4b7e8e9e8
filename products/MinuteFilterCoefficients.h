#pragma once

#include <array>

namespace zuva::products {

// INTERMAGNET's 91-point Gaussian filter that makes one-minute values from
// one-second values. Source: INTERMAGNET Technical Manual, appendix "Filter
// Coefficients", table "Filter Coefficients to Produce One Minute Values", column
// "One Second Data". tk weighs the one-second values k seconds before and k seconds
// after the minute (t0 the value at hh:mm:00 itself). The 91 weights add up to
// 1.0000019; they are renormalised over the values present.
struct MinuteFilterCoefficients {
    static constexpr int kReach = 45;
    static constexpr std::array<double, 46> t = {
        0.0251958,  0.02514602, 0.02499727, 0.02475132, 0.02441104, 0.0239804,  0.02346437, 0.02286881,
        0.02220039, 0.02146643, 0.0206748,  0.01983377, 0.01895183, 0.01803763, 0.01709976, 0.01614667,
        0.01518651, 0.01422707, 0.01327563, 0.01233892, 0.01142303, 0.01053338, 0.0096747,  0.0088509,
        0.0080653,  0.0073204,  0.0066181,  0.0059596,  0.0053454,  0.0047755,  0.0042496,  0.0037667,
        0.0033254,  0.0029243,  0.0025614,  0.0022347,  0.0019419,  0.0016809,  0.0014492,  0.0012445,
        0.0010645,  0.000907,   0.00077,    0.000651,   0.000548,   0.000459};

    // The weight of the value `offset` seconds from the minute (-45..45).
    static constexpr double weight(int offset) { return t[static_cast<std::size_t>(offset < 0 ? -offset : offset)]; }
    // The sum of all 91 weights.
    static constexpr double total() {
        double sum = t[0];
        for (std::size_t k = 1; k < t.size(); ++k) sum += 2.0 * t[k];
        return sum;
    }
};

}  // namespace zuva::products

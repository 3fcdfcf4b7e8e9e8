#include "display/ValueText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zuva::display {

std::string ValueText::format(double value, int decimals, char decimalSeparator, char groupSeparator) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    decimals = std::clamp(decimals, 0, kMostDecimals);

    // "%.*f" rounds to the decimals; the sign is taken from the rounded text so that
    // -0.00001 reads "0", not "-0".
    // The largest double has 309 integer digits; with the decimals it fits in 400.
    char buffer[400];
    const int size = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
    if (size <= 0 || static_cast<std::size_t>(size) >= sizeof buffer) return "INF";
    const std::string digits(buffer, static_cast<std::size_t>(size));

    std::string integerPart = digits;
    std::string fraction;
    if (const auto dot = digits.find('.'); dot != std::string::npos) {
        integerPart = digits.substr(0, dot);
        fraction = digits.substr(dot + 1);
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();

    const bool isZero = fraction.empty() && integerPart.find_first_not_of('0') == std::string::npos;

    std::string out;
    if (value < 0 && !isZero) out += '-';
    const std::size_t n = integerPart.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += integerPart[i];
        const std::size_t left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += groupSeparator;
    }
    if (!fraction.empty()) {
        out += decimalSeparator;
        out += fraction;
    }
    return out;
}

int ValueText::decimalsForStep(double step) {
    if (!(step > 0.0) || !std::isfinite(step)) return kDecimals;
    // A step of 0.00025 needs 5 decimals; the small allowance keeps 0.0001 itself at 4.
    const int needed = static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    int decimals = kDecimals;
    if (needed > decimals) decimals = needed;
    // Steps like 2.5e-5 need one more digit than their magnitude.
    const double scaled = step * std::pow(10.0, decimals);
    if (std::fabs(scaled - std::round(scaled)) > 1e-6 * scaled) ++decimals;
    return std::min(decimals, kMostDecimals);
}

}  // namespace zuva::display

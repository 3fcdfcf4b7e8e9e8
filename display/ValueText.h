#pragma once

#include <string>

namespace zuva::display {

// The value labels of the chart value axes in the pattern "#,##0.####": the integer
// part grouped by thousands, up to `decimals` decimals with trailing zeros dropped
// and no separator when nothing is left after it.
class ValueText {
public:
    static constexpr int kDecimals = 4;
    static constexpr int kMostDecimals = 12;

    static std::string format(double value, int decimals = kDecimals, char decimalSeparator = '.',
                              char groupSeparator = ',');

    // The decimals a label needs so that neighbouring ticks `step` apart read
    // differently: kDecimals, or more for steps finer than 0.0001.
    static int decimalsForStep(double step);
};

}  // namespace zuva::display

#include "recording/HeaderRealText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zuva::recording {
namespace {

struct RealCase {
    double value;
    const char* text;
};

class HeaderRealTextCases : public ::testing::TestWithParam<RealCase> {};

TEST_P(HeaderRealTextCases, WritesTheTwentyThreeCharacterForm) {
    const std::string text = formatHeaderReal(GetParam().value);
    EXPECT_EQ(text, GetParam().text);
    EXPECT_EQ(text.size(), kHeaderRealWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Values, HeaderRealTextCases,
    ::testing::Values(RealCase{1.0, " 1.00000000000000E+0000"}, RealCase{0.01, " 1.00000000000000E-0002"},
                      RealCase{0.0, " 0.00000000000000E+0000"}, RealCase{-0.0, " 0.00000000000000E+0000"},
                      RealCase{-1.5, "-1.50000000000000E+0000"}, RealCase{2.393E-5, " 2.39300000000000E-0005"},
                      RealCase{0.25, " 2.50000000000000E-0001"}, RealCase{-2.393E-5, "-2.39300000000000E-0005"},
                      // 15 significant digits, the 16th rounds: 1/3 and 2/3.
                      RealCase{1.0 / 3.0, " 3.33333333333333E-0001"}, RealCase{2.0 / 3.0, " 6.66666666666667E-0001"},
                      // Rounding that carries into a new exponent.
                      RealCase{9.9999999999999999, " 1.00000000000000E+0001"},
                      RealCase{123456.0, " 1.23456000000000E+0005"},
                      RealCase{1e300, " 1.00000000000000E+0300"}, RealCase{5e-324, " 4.94065645841247E-0324"}));

TEST(HeaderRealText, NonFiniteValuesKeepTheWidth) {
    EXPECT_EQ(formatHeaderReal(std::numeric_limits<double>::infinity()), "                   +Inf");
    EXPECT_EQ(formatHeaderReal(-std::numeric_limits<double>::infinity()), "                   -Inf");
    EXPECT_EQ(formatHeaderReal(std::nan("")), "                    Nan");
}

}  // namespace
}  // namespace zuva::recording

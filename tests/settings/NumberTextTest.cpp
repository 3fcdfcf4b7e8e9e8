#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "settings/DecimalInteger.h"
#include "settings/GeneralNumberFormat.h"
#include "settings/StrictReal.h"

namespace zuva::settings {
namespace {

struct RealCase {
    const char* text;
    std::optional<double> expected;
};

TEST(StrictReal, AcceptsOnlyTheProgramsSyntax) {
    const RealCase cases[] = {
        {"0.5", 0.5},
        {"2.393E-5", 2.393e-5},
        {"2.393e-5", 2.393e-5},
        {"   -1.5e+3", -1500.0},
        {"+7", 7.0},
        {"5.", 5.0},
        {".5", 0.5},
        {"1E15", 1e15},
        {"00012", 12.0},
        {"-0", -0.0},
        {"1e308", 1e308},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"0,5", std::nullopt},
        {"2,393E-5", std::nullopt},
        {"1.5 ", std::nullopt},
        {"\t1.5", std::nullopt},
        {"1.5x", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"+.", std::nullopt},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"e5", std::nullopt},
        {"--1", std::nullopt},
        {"1..2", std::nullopt},
        {"1.2.3", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x1p3", std::nullopt},
        {"1e999", std::nullopt},
        {"- 1", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = StrictReal::parse(c.text);
        if (c.expected) {
            ASSERT_TRUE(got.has_value()) << "\"" << c.text << "\"";
            EXPECT_EQ(*got, *c.expected) << "\"" << c.text << "\"";
            EXPECT_EQ(std::signbit(*got), std::signbit(*c.expected)) << "\"" << c.text << "\"";
        } else {
            EXPECT_FALSE(got.has_value()) << "\"" << c.text << "\" gave " << got.value_or(0);
        }
    }
    EXPECT_FALSE(StrictReal::parse(std::string("1\0", 2)).has_value());
}

struct IntCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(DecimalInteger, ParsesSignedDecimalsInRange) {
    const IntCase cases[] = {
        {"0", 0},          {"8", 8},          {"258", 258},       {"-1", -1},       {"+3", 3},
        {"  6", 6},        {"007", 7},        {"2147483647", 2147483647},            {"-2147483648", INT32_MIN},
        {"", std::nullopt}, {" ", std::nullopt}, {"x", std::nullopt}, {"6 ", std::nullopt}, {"1.0", std::nullopt},
        {"-", std::nullopt}, {"+-1", std::nullopt}, {"0x10", std::nullopt}, {"$10", std::nullopt},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecimalInteger::parse(c.text), c.expected) << "\"" << c.text << "\"";
    }
}

struct FormatCase {
    double value;
    char separator;
    const char* expected;
};

TEST(GeneralNumberFormat, WritesFifteenSignificantDigitsInGeneralFormat) {
    const FormatCase cases[] = {
        {2.393e-5, ',', "2,393E-5"},
        {2.393e-5, '.', "2.393E-5"},
        {0.5, '.', "0.5"},
        {0.5, ',', "0,5"},
        {1.0, '.', "1"},
        {0.0, '.', "0"},
        {-0.0, '.', "0"},
        {-1.25, '.', "-1.25"},
        {1234.5, '.', "1234.5"},
        {100.0, '.', "100"},
        {0.0001, '.', "0.0001"},
        {0.00012345, '.', "0.00012345"},
        {0.00009, '.', "9E-5"},
        {1e-7, '.', "1E-7"},
        {-3.5e-12, '.', "-3.5E-12"},
        {1e14, '.', "100000000000000"},
        {999999999999999.0, '.', "999999999999999"},
        {1e15, '.', "1E15"},
        {1.5e300, ',', "1,5E300"},
        {1.0 / 3.0, '.', "0.333333333333333"},
        {2.0 / 3.0, '.', "0.666666666666667"},
        {0.1 + 0.2, '.', "0.3"},
        {123456789.123456789, '.', "123456789.123457"},
        {9.9999999999999999, '.', "10"},
        {std::numeric_limits<double>::quiet_NaN(), '.', "NAN"},
        {std::numeric_limits<double>::infinity(), '.', "INF"},
        {-std::numeric_limits<double>::infinity(), '.', "-INF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GeneralNumberFormat::format(c.value, c.separator), c.expected) << c.value;
    }
}

TEST(GeneralNumberFormat, FullStopTextReadsBackToTheValueRoundedTo15Digits) {
    for (double v : {2.393e-5, 0.5, 1.0 / 3.0, -7.25e-9, 6.02214076e23, 1e-300, 12345.678901234}) {
        const auto back = StrictReal::parse(GeneralNumberFormat::format(v, '.'));
        ASSERT_TRUE(back.has_value()) << v;
        EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14) << v;
    }
}

}  // namespace
}  // namespace zuva::settings

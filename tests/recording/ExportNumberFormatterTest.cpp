#include "recording/ExportNumberFormatter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

namespace zuva::recording {
namespace {

// Adds one to a string of decimal digits; returns true when it grew by a digit.
bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// The rule applied literally to the exact decimal expansion of the double (glibc
// prints every digit of it): decide the kept digits from the integer digit count,
// look at the next digit (5 or more rounds away from zero), pad to six decimals.
std::string referenceFormat(double v, char sep) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    const bool negative = v < 0;
    static char buf[1600];
    std::snprintf(buf, sizeof buf, "%.1100f", std::fabs(v));
    const std::string s(buf);
    const std::size_t dot = s.find('.');
    const std::string ip = s.substr(0, dot);
    const std::string fp = s.substr(dot + 1);
    const int intDigits = ip == "0" ? 0 : static_cast<int>(ip.size());
    std::string out = negative ? "-" : "";
    if (intDigits > 10) {
        std::string digits = ip.substr(0, 10);
        int exponent = intDigits - 1;
        if (ip[10] >= '5' && incrementDigits(digits)) {
            digits.pop_back();
            ++exponent;
        }
        out += digits.substr(0, 1) + sep + digits.substr(1) + "E+" + (exponent < 10 ? "0" : "") +
               std::to_string(exponent);
        return out;
    }
    const int decimals = std::min(6, 10 - intDigits);
    std::string kept = ip + fp.substr(0, static_cast<std::size_t>(decimals));
    if (fp[static_cast<std::size_t>(decimals)] >= '5') incrementDigits(kept);
    std::string intPart = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
    const std::string frac = kept.substr(kept.size() - static_cast<std::size_t>(decimals)) +
                             std::string(static_cast<std::size_t>(6 - decimals), '0');
    while (intPart.size() > 1 && intPart[0] == '0') intPart.erase(0, 1);
    const bool zero = intPart.find_first_not_of('0') == std::string::npos && frac.find_first_not_of('0') == std::string::npos;
    if (zero) out.clear();
    return out + intPart + sep + frac;
}

struct FormatCase {
    double value;
    const char* text;
};

class ExportNumberFormatterCases : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ExportNumberFormatterCases, WritesTheExportForm) {
    EXPECT_EQ(ExportNumberFormatter('.').format(GetParam().value), GetParam().text);
    EXPECT_EQ(referenceFormat(GetParam().value, '.'), GetParam().text) << "the reference disagrees";
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExportNumberFormatterCases,
    ::testing::Values(FormatCase{12345.6789, "12345.678900"}, FormatCase{-234.5, "-234.500000"},
                      FormatCase{40000.25, "40000.250000"}, FormatCase{0.0, "0.000000"},
                      FormatCase{-0.0, "0.000000"}, FormatCase{-0.0000004, "0.000000"},
                      FormatCase{-0.0000005, "0.000000"},   // the double lies just below the half
                      FormatCase{-0.00000051, "-0.000001"}, FormatCase{1.0, "1.000000"},
                      FormatCase{0.0078125, "0.007813"},     // exact tie, away from zero
                      FormatCase{-0.0078125, "-0.007813"},   // and for negatives
                      FormatCase{0.00390625, "0.003906"},    // 0.00390625: below the half
                      FormatCase{1234.5678905, "1234.567890"},  // the double lies below ...05
                      FormatCase{99999.999995, "100000.000000"},
                      FormatCase{123456.123456, "123456.123500"}, FormatCase{1234567.1234567, "1234567.123000"},
                      FormatCase{123456789.5, "123456789.500000"}, FormatCase{1234567890.5, "1234567891.000000"},
                      FormatCase{9999999999.5, "10000000000.000000"},
                      FormatCase{12345678901.0, "1.234567890E+10"}, FormatCase{12345678905.0, "1.234567891E+10"},
                      FormatCase{-99999999999.0, "-1.000000000E+11"}, FormatCase{1e300, "1.000000000E+300"},
                      FormatCase{1.5e19, "1.500000000E+19"}));

TEST(ExportNumberFormatter, DecimalSeparatorIsTheLocales) {
    const ExportNumberFormatter comma(',');
    EXPECT_EQ(comma.format(40000.25), "40000,250000");
    EXPECT_EQ(comma.format(-1.5), "-1,500000");
    EXPECT_EQ(comma.format(12345678901.0), "1,234567890E+10");
}

TEST(ExportNumberFormatter, NonFiniteValues) {
    const ExportNumberFormatter f;
    EXPECT_EQ(f.format(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(f.format(-std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(f.format(std::nan("")), "NAN");
}

// Every kind of value the export meets, compared with the literal rule.
TEST(ExportNumberFormatter, MatchesTheLiteralRuleOnManyValues) {
    std::mt19937_64 rng(20090819);
    std::vector<double> values;
    // Values the export really produces: counts times sensitivity / gain / averaging.
    const double sensitivities[] = {1.0, 0.5, 0.01, 2.393e-5, 0.123456789, 3.0};
    const double gains[] = {1, 10, 100, 1000};
    const double averagings[] = {1, 2, 4, 8, 16, 32, 64, 128, 256};
    std::uniform_int_distribution<std::int32_t> count(-2147483647 - 1, 2147483647);
    std::uniform_int_distribution<std::int32_t> smallCount(-9000000, 9000000);
    for (int i = 0; i < 60000; ++i) {
        const double f = sensitivities[i % 6] / gains[(i / 6) % 4] / averagings[(i / 24) % 9];
        values.push_back((i % 2 ? count(rng) : smallCount(rng)) * f);
    }
    // Exact ties and their neighbours at every decimal count.
    std::uniform_int_distribution<std::int64_t> odd(0, 1LL << 40);
    for (int i = 0; i < 20000; ++i) {
        const int decimals = i % 7;
        const double scale = std::pow(10.0, decimals);
        const double tie = (static_cast<double>(odd(rng) % 9999999) + 0.5) / scale;
        values.push_back(tie);
        values.push_back(std::nextafter(tie, 0.0));
        values.push_back(std::nextafter(tie, 1e300));
        values.push_back(-tie);
    }
    // Dyadic fractions (many are exact ties at six decimals).
    for (int i = 0; i < 20000; ++i) values.push_back(static_cast<double>(smallCount(rng)) / 128.0);
    // Magnitudes from 1e-12 to 1e30, around the decimal-count boundaries and 1e10.
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    for (int i = 0; i < 40000; ++i) {
        const double v = mantissa(rng) * std::pow(10.0, i % 43 - 12);
        values.push_back(i % 3 ? v : -v);
    }
    for (int p = 0; p <= 19; ++p) {
        const double b = std::pow(10.0, p);
        for (const double v : {b, std::nextafter(b, 0.0), std::nextafter(b, 1e300), b - 0.5, b + 0.5,
                               b - 0.0000005, b - 0.0000004}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    values.push_back(std::numeric_limits<double>::max());
    values.push_back(std::numeric_limits<double>::denorm_min());
    values.push_back(9223372036854775808.0);
    values.push_back(std::nextafter(9223372036854775808.0, 0.0));

    const ExportNumberFormatter fast('.');
    std::size_t mismatches = 0;
    for (const double v : values) {
        const std::string expected = referenceFormat(v, '.');
        const std::string got = fast.format(v);
        if (got != expected && ++mismatches <= 10) {
            ADD_FAILURE() << "value " << std::hexfloat << v << std::defaultfloat << " (" << v << "): got " << got
                          << ", rule gives " << expected;
        }
        ASSERT_LE(got.size(), ExportNumberFormatter::kMaxLength);
    }
    EXPECT_EQ(mismatches, 0u) << "of " << values.size();
}

}  // namespace
}  // namespace zuva::recording

#include <gtest/gtest.h>

#include <cstdint>

#include "recording/UtcCalendar.h"

namespace zuva::recording {
namespace {

std::int64_t at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return UtcCalendar::toEpoch({y, mo, d, h, mi, s});
}

TEST(UtcCalendar, ConvertsDatesBothWaysAcrossLeapYearsAndCenturies) {
    EXPECT_EQ(at(1970, 1, 1), 0);
    EXPECT_EQ(at(2026, 3, 14, 12, 34, 56), 1773491696);
    EXPECT_EQ(at(2000, 3, 1), 951868800);
    for (const std::int64_t t : {std::int64_t{0}, std::int64_t{951782399}, std::int64_t{4107542400},
                                 std::int64_t{1773491696}}) {
        const UtcDateTime d = UtcCalendar::fromEpoch(t);
        EXPECT_EQ(UtcCalendar::toEpoch(d), t);
    }
    const UtcDateTime leapDay = UtcCalendar::fromEpoch(at(2024, 2, 29, 23, 59, 59));
    EXPECT_EQ(leapDay.month, 2);
    EXPECT_EQ(leapDay.day, 29);
    EXPECT_EQ(leapDay.second, 59);
    EXPECT_EQ(UtcCalendar::dayOfYear(2024, 12, 31), 366);
    EXPECT_EQ(UtcCalendar::dayOfYear(2026, 3, 14), 73);
    EXPECT_TRUE(UtcCalendar::validDate(2000, 2, 29));
    EXPECT_FALSE(UtcCalendar::validDate(1900, 2, 29));
    EXPECT_FALSE(UtcCalendar::validDate(2026, 4, 31));
}

}  // namespace
}  // namespace zuva::recording

#include "acquisition/FrameEncoder.h"

#include <gtest/gtest.h>

namespace zuva::acquisition {
namespace {

TEST(FrameEncoder, DataFrameBytesAreBcdTimeAndLittleEndianSamples) {
    const DataFrame f = encodeDataFrame({2009, 8, 19, 13, 45, 1}, 0x08, 200, 1, -1, -8388608);
    const DataFrame expected{0xC1, 0x08, 0x09, 0x08, 0x19, 0x13, 0x45, 0x01, 200,  0x01,
                             0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x00};
    for (std::size_t i = 0; i + 1 < f.size(); ++i) EXPECT_EQ(f[i], expected[i]) << "byte " << i + 1;
    unsigned sum = 0;
    for (std::size_t i = 1; i < 18; ++i) sum += expected[i];
    EXPECT_EQ(f[18], sum % 256);
}

TEST(FrameEncoder, PositionFramePadsTextsAndSumsThirtyFiveBytes) {
    const PositionFrame f = encodePositionFrame({2024, 6, 30, 10, 20, 30}, 0, "5540.1234N", "03736.5678E", "150.0");
    EXPECT_EQ(f[0], 0xC2);
    EXPECT_EQ(std::string(f.begin() + 8, f.begin() + 18), "5540.1234N");
    EXPECT_EQ(std::string(f.begin() + 18, f.begin() + 29), "03736.5678E");
    EXPECT_EQ(std::string(f.begin() + 29, f.begin() + 36), "150.0  ");
    unsigned sum = 0;
    for (std::size_t i = 1; i < 36; ++i) sum += f[i];
    EXPECT_EQ(f[36], sum % 256);
}

TEST(FrameEncoder, ChecksumIsSumModulo256WithoutSyncByte) {
    // 17 bytes adding up to 0x1034 carry 0x34.
    DataFrame f{};
    f[0] = 0xC1;
    unsigned remaining = 0x1034;
    for (std::size_t i = 1; i < 18; ++i) {
        const unsigned b = remaining > 0xFF ? 0xFF : remaining;
        f[i] = static_cast<std::uint8_t>(b);
        remaining -= b;
    }
    EXPECT_EQ(frameChecksum(f), 0x34);
    sealFrame(f);
    EXPECT_EQ(f[18], 0x34);
}

}  // namespace
}  // namespace zuva::acquisition

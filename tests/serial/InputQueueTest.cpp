#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "serial/InputQueue.h"

namespace zuva::serial {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes counting(std::size_t n, std::uint8_t from = 0) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), from);
    return b;
}

TEST(InputQueue, BytesComeOutInOrderAcrossTheEndOfTheRing) {
    InputQueue q(10);
    Bytes out(10);
    for (int round = 0; round < 7; ++round) {
        const Bytes in = counting(7, static_cast<std::uint8_t>(round * 7));
        ASSERT_EQ(q.push(in), 7u);
        ASSERT_EQ(q.size(), 7u);
        ASSERT_EQ(q.take(out), 7u);
        ASSERT_TRUE(std::equal(in.begin(), in.end(), out.begin())) << "round " << round;
    }
    EXPECT_EQ(q.droppedTotal(), 0u);
}

TEST(InputQueue, AFullQueueDropsWhatDoesNotFitAndReadsStopAtThePlaceOfTheLoss) {
    InputQueue q(10);
    EXPECT_EQ(q.push(counting(8)), 8u);
    EXPECT_EQ(q.push(counting(5, 8)), 2u);   // 3 dropped
    EXPECT_EQ(q.push(counting(4, 13)), 0u);  // the same loss goes on: 4 more
    EXPECT_EQ(q.takeDropped(), 0u) << "the loss lies behind the waiting bytes";
    Bytes out(4);
    EXPECT_EQ(q.take(out), 4u);
    EXPECT_EQ(q.push(counting(3, 100)), 3u);  // after the loss
    EXPECT_EQ(q.size(), 9u);
    Bytes rest(20);
    EXPECT_EQ(q.take(rest), 6u) << "a read never joins the bytes before a loss to those after";
    EXPECT_EQ(rest[5], 9);
    EXPECT_EQ(q.takeDropped(), 7u);
    EXPECT_EQ(q.takeDropped(), 0u) << "each loss is taken once";
    EXPECT_EQ(q.take(rest), 3u);
    EXPECT_EQ(rest[0], 100);
    EXPECT_EQ(q.droppedTotal(), 7u);
    EXPECT_EQ(q.overflows(), 1u);
}

TEST(InputQueue, TwoLossesAreTakenApartInOrder) {
    InputQueue q(4);
    Bytes out(4);
    q.push(counting(6));       // 2 dropped after byte 3
    q.take(std::span<std::uint8_t>(out).first(2));
    q.push(counting(5, 10));   // 2 stored, 3 dropped after them
    EXPECT_EQ(q.take(out), 2u);
    EXPECT_EQ(q.takeDropped(), 2u);
    EXPECT_EQ(q.take(out), 2u);
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(q.takeDropped(), 3u);
    EXPECT_EQ(q.overflows(), 2u);
    q.reset(8);
    EXPECT_EQ(q.size(), 0u);
    EXPECT_EQ(q.capacity(), 8u);
}

}  // namespace
}  // namespace zuva::serial

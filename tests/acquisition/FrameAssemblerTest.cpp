#include "acquisition/FrameAssembler.h"

#include <gtest/gtest.h>

#include <vector>

#include "acquisition/FrameDump.h"
#include "acquisition/FrameEncoder.h"

namespace zuva::acquisition {
namespace {

DataFrame sampleFrame(std::uint8_t index) { return encodeDataFrame({2009, 8, 19, 13, 45, 1}, 0x08, index, 1, -1, 7); }

// Feeds bytes in pieces of `piece` and returns every outcome that is not NeedMore.
std::vector<FrameOutcome> feedInPieces(FrameAssembler& a, std::span<const std::uint8_t> bytes, std::size_t piece,
                                       std::vector<std::vector<std::uint8_t>>* frames = nullptr) {
    std::vector<FrameOutcome> outcomes;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        auto rest = bytes.subspan(at, std::min(piece, bytes.size() - at));
        while (!rest.empty()) {
            const AssemblyStep step = a.feed(rest);
            EXPECT_GT(step.consumed, 0u);
            rest = rest.subspan(step.consumed);
            if (step.outcome == FrameOutcome::NeedMore) continue;
            outcomes.push_back(step.outcome);
            if (frames) frames->emplace_back(a.frame().begin(), a.frame().end());
        }
    }
    return outcomes;
}

TEST(FrameAssembler, FramesSplitAtAnyPointComeOutWhole) {
    std::vector<std::uint8_t> bytes;
    for (std::uint8_t i = 0; i < 3; ++i) {
        const DataFrame f = sampleFrame(i);
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
        FrameAssembler a(kDataFrameSize, kDataFrameSync);
        std::vector<std::vector<std::uint8_t>> frames;
        const auto outcomes = feedInPieces(a, bytes, piece, &frames);
        ASSERT_EQ(outcomes.size(), 3u) << "piece " << piece;
        for (std::uint8_t i = 0; i < 3; ++i) {
            EXPECT_EQ(outcomes[i], FrameOutcome::Frame);
            const DataFrame expected = sampleFrame(i);
            EXPECT_EQ(frames[i], std::vector<std::uint8_t>(expected.begin(), expected.end())) << "piece " << piece;
        }
        EXPECT_EQ(a.stored(), 0u);
    }
}

TEST(FrameAssembler, PartialFrameWaitsForTheRest) {
    FrameAssembler a(kDataFrameSize, kDataFrameSync);
    const DataFrame f = sampleFrame(5);
    const std::span<const std::uint8_t> bytes(f);
    const AssemblyStep first = a.feed(bytes.first(7));
    EXPECT_EQ(first.outcome, FrameOutcome::NeedMore);
    EXPECT_EQ(first.consumed, 7u);
    EXPECT_EQ(a.stored(), 7u);
    const AssemblyStep second = a.feed(bytes.subspan(7));
    EXPECT_EQ(second.outcome, FrameOutcome::Frame);
    EXPECT_EQ(second.consumed, 12u);
}

TEST(FrameAssembler, CompleteFramesAreJudgedBySyncThenChecksum) {
    struct Case {
        const char* name;
        std::size_t byte;  // 0-based byte to change
        std::uint8_t value;
        FrameOutcome expected;
    };
    const Case cases[] = {
        {"good frame", 0, kDataFrameSync, FrameOutcome::Frame},
        {"wrong sync byte", 0, 0xC2, FrameOutcome::BadSync},
        {"wrong sync and wrong checksum", 0, 0x55, FrameOutcome::BadSync},
        {"changed sample byte", 10, 0x77, FrameOutcome::BadChecksum},
        {"changed checksum byte", 18, 0x00, FrameOutcome::BadChecksum},
    };
    for (const Case& c : cases) {
        DataFrame f = sampleFrame(9);
        if (c.byte == 18 && f[18] == c.value) f[18] = 0x01;
        else f[c.byte] = c.value;
        FrameAssembler a(kDataFrameSize, kDataFrameSync);
        const AssemblyStep step = a.feed(f);
        EXPECT_EQ(step.outcome, c.expected) << c.name;
        EXPECT_EQ(a.stored(), 0u) << c.name << ": the next byte begins a new frame";
        EXPECT_EQ(frameDump(a.frame()), frameDump(f)) << c.name;
    }
}

TEST(FrameAssembler, PositionFramesAreThirtySevenBytesWithTheirOwnSync) {
    const PositionFrame p = encodePositionFrame({2024, 6, 30, 10, 20, 30}, 0, "5540.1234N", "03736.5678E", "150.0");
    FrameAssembler a(kPositionFrameSize, kPositionFrameSync);
    const auto outcomes = feedInPieces(a, p, 5);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0], FrameOutcome::Frame);
    FrameAssembler dataOnly(kDataFrameSize, kDataFrameSync);
    EXPECT_EQ(dataOnly.feed(p).outcome, FrameOutcome::BadSync);
}

TEST(FrameAssembler, WaitingForSyncLooksOnlyAtTheFirstByteOfABatch) {
    FrameAssembler a(kDataFrameSize, kDataFrameSync);
    EXPECT_TRUE(a.acceptBatch(std::vector<std::uint8_t>{0x55}));  // not waiting: anything goes
    a.waitForSync();
    const std::vector<std::uint8_t> syncInside{0x55, kDataFrameSync, 0x00};
    EXPECT_FALSE(a.acceptBatch(syncInside));
    EXPECT_TRUE(a.awaitingSync());
    EXPECT_FALSE(a.acceptBatch(std::vector<std::uint8_t>{}));
    const std::vector<std::uint8_t> syncFirst{kDataFrameSync, 0x00};
    EXPECT_TRUE(a.acceptBatch(syncFirst));
    EXPECT_FALSE(a.awaitingSync());
    EXPECT_TRUE(a.acceptBatch(syncInside)) << "the wait has ended";
}

TEST(FrameAssembler, RestartDropsThePartialFrame) {
    FrameAssembler a(kDataFrameSize, kDataFrameSync);
    const DataFrame f = sampleFrame(1);
    a.feed(std::span<const std::uint8_t>(f).first(10));
    a.restart();
    EXPECT_EQ(a.stored(), 0u);
    EXPECT_EQ(a.feed(f).outcome, FrameOutcome::Frame);
}

TEST(FrameDump, TwoUpperCaseHexDigitsAndABlankPerByte) {
    const std::vector<std::uint8_t> bytes{0xC1, 0x0A, 0xFF, 0x00};
    EXPECT_EQ(frameDump(bytes), "C1 0A FF 00 ");
}

}  // namespace
}  // namespace zuva::acquisition

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AcquisitionRig.h"
#include "acquisition/FrameDump.h"

namespace zuva::acquisition::testing {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr FrameDateTime kT{2009, 8, 19, 13, 45, 1};
constexpr const char* kOverload = "Sorry, not enough CPU resources for real time visualization! Visualization: Off.";

DataFrame frameAt(int index) {
    const Sample s = defaultSample(kT, index);
    return encodeDataFrame(kT, 0, static_cast<std::uint8_t>(index), s.bx, s.by, s.bz);
}

// A receiver with a handler that only records the frames it is given.
struct SpyHandler final : FrameHandler {
    void DecodeDataFrame(const DataFrame& f) override { data.push_back(f); }
    void DecodePositionFrame(const PositionFrame& f) override { positions.push_back(f); }
    std::vector<DataFrame> data;
    std::vector<PositionFrame> positions;
};

struct ReceiverRig {
    AcquisitionRig core;  // supplies the fakes and the control word
    RunFlags flags;
    SpyHandler spy;
    FrameReceiver receiver{core.port,  spy,           core.acq.controlWord(), core.log, core.timer,
                           core.visualization, core.controls, flags};

    void startData() {
        receiver.resetForRun();
        flags.dataMode = true;
    }
    void deliver(std::span<const std::uint8_t> bytes) {
        core.port.queue(bytes);
        receiver.ComPort1RxChar(static_cast<int>(bytes.size()));
    }
};

TEST(FrameReceiver, PartialFrameAtTheEndOfABatchCompletesWithTheNext) {
    ReceiverRig r;
    r.startData();
    Stream s;
    for (int i = 0; i < 4; ++i) s.frame(frameAt(i));
    const std::span<const std::uint8_t> all(s.bytes());
    r.deliver(all.first(3 * 19 + 7));
    ASSERT_EQ(r.spy.data.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.spy.data[i][8], i);
    EXPECT_EQ(r.receiver.dataFrames().stored(), 7u);
    r.deliver(all.subspan(3 * 19 + 7));
    ASSERT_EQ(r.spy.data.size(), 4u);
    EXPECT_EQ(r.spy.data[3], frameAt(3));
    EXPECT_TRUE(r.core.log.lines.empty());
}

TEST(FrameReceiver, AfterStartStrayBytesBeforeTheFirstFrameArePassedOverSilently) {
    ReceiverRig r;
    r.startData();
    Bytes noise{0x55, 0xC1, 0x07};
    Stream s;
    s.raw(noise).frame(frameAt(0)).frame(frameAt(1));
    r.deliver(s.bytes());
    // With no frame to compare its time with, the first frame is taken once the
    // frame behind it confirms it.
    ASSERT_EQ(r.spy.data.size(), 2u);
    EXPECT_EQ(r.spy.data[0], frameAt(0));
    EXPECT_EQ(r.spy.data[1], frameAt(1));
    EXPECT_TRUE(r.core.log.lines.empty());
    EXPECT_EQ(r.receiver.dataFrames().skippedBytes(), noise.size());
    EXPECT_FALSE(r.receiver.dataFrames().hunting());
}

TEST(FrameReceiver, BadFrameInABatchIsLoggedAndEveryGoodFrameAfterItIsKept) {
    struct Case {
        const char* name;
        std::size_t byte;
        std::uint8_t value;
        const char* prefix;
    };
    const Case cases[] = {
        {"checksum", 12, 0x99, "Checksum error: buf19="},
        {"sync byte", 0, 0x41, "Error decodedata: buf19="},
    };
    for (const Case& c : cases) {
        ReceiverRig r;
        r.startData();
        DataFrame bad = frameAt(2);
        bad[c.byte] = c.value;
        Stream s;
        s.frame(frameAt(0)).frame(frameAt(1)).frame(bad).frame(frameAt(3)).frame(frameAt(4));
        r.deliver(s.bytes());
        ASSERT_EQ(r.spy.data.size(), 4u) << c.name;
        EXPECT_EQ(r.spy.data[2], frameAt(3)) << c.name;
        EXPECT_EQ(r.spy.data[3], frameAt(4)) << c.name;
        EXPECT_EQ(r.core.log.lines, (Lines{c.prefix + frameDump(bad)})) << c.name;
        EXPECT_FALSE(r.receiver.dataFrames().hunting()) << c.name;
        EXPECT_EQ(r.core.acq.counters().frameErrors, 0u) << c.name << ": this receiver counts into its own";
        r.deliver(frameAt(5));
        ASSERT_EQ(r.spy.data.size(), 5u) << c.name;
        EXPECT_EQ(r.spy.data[4], frameAt(5)) << c.name;
    }
}

TEST(FrameReceiver, BacklogAboveFiveThousandBytesSwitchesTheChartsOff) {
    struct Case {
        std::size_t bytes;
        bool overload;
    };
    for (const Case c : {Case{5000, false}, Case{5001, true}}) {
        ReceiverRig r;
        r.startData();
        Stream s;
        for (int i = 0; s.bytes().size() < c.bytes; ++i) s.frame(frameAt(i % 256));
        Bytes batch(s.bytes().begin(), s.bytes().begin() + static_cast<std::ptrdiff_t>(c.bytes));
        r.deliver(batch);
        EXPECT_EQ(r.spy.data.size(), c.bytes / 19) << c.bytes << ": every whole frame is still decoded";
        if (c.overload) {
            EXPECT_EQ(r.core.log.lines, (Lines{"Count= 5001", kOverload}));
            EXPECT_EQ(r.core.visualization.overloads, 1);
        } else {
            EXPECT_TRUE(r.core.log.lines.empty());
            EXPECT_EQ(r.core.visualization.overloads, 0);
        }
    }
}

TEST(FrameReceiver, EveryNotificationStopsTheNoResponseTimer) {
    ReceiverRig r;
    r.core.timer.start();
    r.deliver(Bytes{0x00});  // neither a run nor a position request: bytes ignored
    EXPECT_FALSE(r.core.timer.active);
    EXPECT_TRUE(r.spy.data.empty());
}

TEST(FrameReceiver, CountBeyondTheBufferIsReadInPartsNeverMoreThanTheBuffer) {
    ReceiverRig r;
    r.startData();
    Stream s;
    for (int k = 0; k < 3; ++k) s.seconds(later(kT, 0), 4);  // 12 s of frames, 58368 bytes
    ASSERT_GT(s.bytes().size(), FrameReceiver::kRxBufferSize);
    r.deliver(s.bytes());
    EXPECT_EQ(r.core.port.largestRequest, FrameReceiver::kRxBufferSize);
    EXPECT_EQ(r.core.port.waiting(), 0u);
    // The part boundary falls inside a frame; the frame is completed by the next part.
    EXPECT_EQ(r.spy.data.size(), s.bytes().size() / 19);
    EXPECT_EQ(r.core.log.lines, (Lines{"Count= " + std::to_string(s.bytes().size()), kOverload}));
}

TEST(FrameReceiver, OnlyTheBytesThePortDeliveredAreAssembled) {
    ReceiverRig r;
    r.startData();
    Stream s;
    for (int i = 0; i < 6; ++i) s.frame(frameAt(i));
    r.deliver(s.bytes());  // fills the buffer with six frames
    ASSERT_EQ(r.spy.data.size(), 6u);
    // Announced 57 bytes, but the port hands over only 19: the stale rest of the
    // buffer must not be decoded a second time.
    r.core.port.queue(frameAt(6));
    r.receiver.ComPort1RxChar(57);
    ASSERT_EQ(r.spy.data.size(), 7u);
    EXPECT_EQ(r.spy.data[6], frameAt(6));
}

TEST(FrameReceiver, ShortReadsAreReadAgainUntilTheCountIsReached) {
    ReceiverRig r;
    r.startData();
    r.core.port.maxPerRead = 10;
    Stream s;
    for (int i = 0; i < 3; ++i) s.frame(frameAt(i));
    r.deliver(s.bytes());
    EXPECT_EQ(r.spy.data.size(), 3u);
    EXPECT_EQ(r.core.port.waiting(), 0u);
}

TEST(FrameReceiver, FailedReadIsReportedOnceAndReceptionGoesOn) {
    ReceiverRig r;
    r.startData();
    r.core.port.failReads = 2;
    Stream s;
    s.frame(frameAt(0)).frame(frameAt(1));
    r.deliver(s.bytes());
    r.receiver.ComPort1RxChar(38);
    EXPECT_EQ(r.core.log.lines,
              (Lines{"Error: received bytes not read: ReadFile function failed (win error code: 5)"}));
    r.receiver.ComPort1RxChar(38);  // the waiting frames are read now
    ASSERT_EQ(r.spy.data.size(), 2u);
    EXPECT_EQ(r.spy.data[0], frameAt(0));
    EXPECT_EQ(r.spy.data[1], frameAt(1));
}

TEST(FrameReceiver, ErrorInsideDecodingCostsOnlyThatFrame) {
    struct Throwing final : FrameHandler {
        void DecodeDataFrame(const DataFrame& f) override {
            if (f[8] == 1 || f[8] == 2) throw std::runtime_error("disk on fire");
            good.push_back(f[8]);
        }
        void DecodePositionFrame(const PositionFrame&) override {}
        std::vector<int> good;
    } handler;
    AcquisitionRig core;
    RunFlags flags;
    FrameReceiver receiver{core.port, handler, core.acq.controlWord(), core.log, core.timer, core.visualization,
                           core.controls, flags};
    receiver.resetForRun();
    flags.dataMode = true;
    Stream s;
    for (int i = 0; i < 4; ++i) s.frame(frameAt(i));
    core.port.queue(s.bytes());
    receiver.ComPort1RxChar(static_cast<int>(s.bytes().size()));
    EXPECT_EQ(handler.good, (std::vector<int>{0, 3}));
    EXPECT_EQ(core.log.lines, (Lines{"Error: frame not decoded: disk on fire: buf19=" + frameDump(frameAt(1))}));
}

// --- PositionFrames ---------------------------------------------------------

PositionFrame positionFrame() {
    return encodePositionFrame({2024, 6, 30, 10, 20, 30}, 0, " 5540.1234N", "03736.5678E", "150.0");
}

struct PositionRig : ReceiverRig {
    PositionRig() {
        flags.positionRequestPending = true;
        core.acq.controlWord().setCharacter(ControlWord::kPositionFrames, true);
        core.acq.controlWord().setCharacter(ControlWord::kTransmit, true);
        core.controls.setEnabled(Control::GpsButton, false);
        core.controls.setEnabled(Control::StartButton, false);
        core.controls.setEnabled(Control::StopButton, false);
    }
};

TEST(FrameReceiver, RequestedPositionFrameStopsTransmissionAndIsDecoded) {
    PositionRig r;
    const PositionFrame p = positionFrame();
    const std::span<const std::uint8_t> bytes(p);
    r.deliver(bytes.first(20));
    EXPECT_TRUE(r.core.controls.isEnabled(Control::GpsButton)) << "first bytes bring the buttons back";
    EXPECT_TRUE(r.core.controls.isEnabled(Control::StartButton));
    EXPECT_TRUE(r.core.controls.isEnabled(Control::StopButton));
    EXPECT_TRUE(r.core.port.sent.empty());
    r.deliver(bytes.subspan(20));
    EXPECT_FALSE(r.flags.positionRequestPending);
    EXPECT_EQ(r.core.port.sent, (Bytes{0x14}));  // transmit off, PositionFrames still selected
    ASSERT_EQ(r.spy.positions.size(), 1u);
    EXPECT_EQ(r.spy.positions[0], p);
    // Later batches are not assembled as PositionFrames any more.
    r.deliver(bytes);
    EXPECT_EQ(r.spy.positions.size(), 1u);
}

TEST(FrameReceiver, PositionFrameWithWrongChecksumIsLoggedAfterTransmissionIsOff) {
    PositionRig r;
    PositionFrame p = positionFrame();
    p[20] ^= 0x01;
    r.deliver(p);
    EXPECT_EQ(r.core.port.sent, (Bytes{0x14}));
    EXPECT_EQ(r.core.log.lines, (Lines{"Checksum error.", "buf37=" + frameDump(p)}));
    EXPECT_TRUE(r.spy.positions.empty());
    EXPECT_FALSE(r.flags.positionRequestPending);
}

TEST(FrameReceiver, PositionFrameWithWrongSyncIsSkippedSilently) {
    PositionRig r;
    PositionFrame junk = positionFrame();
    junk[0] = 0x00;
    Bytes batch(junk.begin(), junk.end());
    const PositionFrame p = positionFrame();
    batch.insert(batch.end(), p.begin(), p.end());
    r.deliver(batch);
    EXPECT_TRUE(r.core.log.lines.empty());
    EXPECT_EQ(r.core.port.sent, (Bytes{0x14}));  // the first 37 bytes already ended the request
    ASSERT_EQ(r.spy.positions.size(), 1u) << "the rest of the batch is still assembled";
    EXPECT_EQ(r.spy.positions[0], p);
}

TEST(FrameReceiver, PositionRequestDuringARunStoresNothingAsPositionFrame) {
    PositionRig r;
    r.flags.dataMode = true;
    r.receiver.resetForRun();
    r.flags.positionRequestPending = true;
    const PositionFrame p = positionFrame();
    r.deliver(p);
    EXPECT_EQ(r.receiver.positionFrames().stored(), 0u);
    EXPECT_TRUE(r.spy.positions.empty());
    EXPECT_TRUE(r.flags.positionRequestPending);
    EXPECT_TRUE(r.core.controls.isEnabled(Control::GpsButton));
}

TEST(FrameReceiver, AfterStartAPositionBatchMustBeginWithItsSync) {
    PositionRig r;
    r.receiver.resetForRun();  // a run was started and stopped before this request
    const PositionFrame p = positionFrame();
    Bytes late{0x00};
    late.insert(late.end(), p.begin(), p.end());
    r.deliver(late);
    EXPECT_TRUE(r.core.port.sent.empty());
    EXPECT_TRUE(r.flags.positionRequestPending);
    r.deliver(p);
    EXPECT_EQ(r.spy.positions.size(), 1u);
}

}  // namespace
}  // namespace zuva::acquisition::testing

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


// ---- finding the way back after bad bytes ------------------------------------

namespace resync {

constexpr FrameDateTime kStart{2009, 8, 19, 13, 45, 0};

// The good frames of a short stream: `seconds` whole seconds from kStart.
std::vector<DataFrame> goodFrames(int seconds, const Stream::SampleFn& sample = defaultSample) {
    std::vector<DataFrame> frames;
    for (int k = 0; k < seconds; ++k) {
        const FrameDateTime t = later(kStart, k);
        for (int i = 0; i < 256; ++i) {
            const Sample s = sample(t, i);
            frames.push_back(encodeDataFrame(t, 0x08, static_cast<std::uint8_t>(i), s.bx, s.by, s.bz));
        }
    }
    return frames;
}

// A fault put into the stream in front of one frame.
enum class Fault { None, BadChecksum, BadSyncByte, StrayByte, StraySyncByte, ThreeStrayBytes, CutFrame };

const char* faultName(Fault f) {
    switch (f) {
        case Fault::None: return "none";
        case Fault::BadChecksum: return "bad checksum";
        case Fault::BadSyncByte: return "bad sync byte";
        case Fault::StrayByte: return "stray byte";
        case Fault::StraySyncByte: return "stray sync byte";
        case Fault::ThreeStrayBytes: return "three stray bytes";
        case Fault::CutFrame: return "frame cut short";
    }
    return "?";
}

struct Faulted {
    Bytes bytes;
    std::vector<DataFrame> expected;  // every frame sent whole and unharmed, in order
    Lines log;                        // the one line the fault is worth
};

// The frames with `fault` at frame `at`: a bad frame replaces it, stray bytes go
// before it, a cut frame loses its last 7 bytes.
Faulted withFault(const std::vector<DataFrame>& frames, std::size_t at, Fault fault) {
    Faulted out;
    for (std::size_t n = 0; n < frames.size(); ++n) {
        DataFrame f = frames[n];
        if (n != at || fault == Fault::None) {
            out.bytes.insert(out.bytes.end(), f.begin(), f.end());
            out.expected.push_back(f);
            continue;
        }
        switch (fault) {
            case Fault::BadChecksum:
                f[18] = static_cast<std::uint8_t>(f[18] + 1);
                out.log.push_back("Checksum error: buf19=" + frameDump(f));
                out.bytes.insert(out.bytes.end(), f.begin(), f.end());
                break;
            case Fault::BadSyncByte:
                f[0] = 0x41;
                out.log.push_back("Error decodedata: buf19=" + frameDump(f));
                out.bytes.insert(out.bytes.end(), f.begin(), f.end());
                break;
            case Fault::StrayByte:
            case Fault::StraySyncByte:
            case Fault::ThreeStrayBytes: {
                const Bytes stray = fault == Fault::StrayByte       ? Bytes{0x55}
                                    : fault == Fault::StraySyncByte ? Bytes{0xC1}
                                                                     : Bytes{0xC1, 0xFF, 0x55};
                // What is taken as the next frame: the stray bytes and the frame's head.
                Bytes seen(stray);
                seen.insert(seen.end(), f.begin(), f.begin() + static_cast<std::ptrdiff_t>(19 - stray.size()));
                out.log.push_back(std::string(seen[0] == 0xC1 ? "Checksum error: buf19=" : "Error decodedata: buf19=") +
                                  frameDump(seen));
                out.bytes.insert(out.bytes.end(), stray.begin(), stray.end());
                out.bytes.insert(out.bytes.end(), f.begin(), f.end());
                out.expected.push_back(f);
                break;
            }
            case Fault::CutFrame: {
                out.bytes.insert(out.bytes.end(), f.begin(), f.begin() + 12);
                Bytes seen(f.begin(), f.begin() + 12);
                seen.insert(seen.end(), frames[n + 1].begin(), frames[n + 1].begin() + 7);
                out.log.push_back("Checksum error: buf19=" + frameDump(seen));
                break;
            }
            case Fault::None:
                break;
        }
    }
    return out;
}

struct Outcome {
    std::vector<DataFrame> frames;
    Lines log;
};

Outcome receive(const Bytes& bytes, std::size_t batch) {
    ReceiverRig r;
    r.startData();
    for (std::size_t at = 0; at < bytes.size(); at += batch) {
        r.deliver(std::span<const std::uint8_t>(bytes).subspan(at, std::min(batch, bytes.size() - at)));
    }
    return {r.spy.data, r.core.log.lines};
}

}  // namespace resync

TEST(FrameReceiverResync, EveryGoodFrameIsKeptWhereverTheBatchBoundariesFall) {
    using namespace resync;
    const std::vector<DataFrame> frames = goodFrames(2);
    for (const Fault fault : {Fault::None, Fault::BadChecksum, Fault::BadSyncByte, Fault::StrayByte,
                              Fault::StraySyncByte, Fault::ThreeStrayBytes, Fault::CutFrame}) {
        const Faulted stream = withFault(frames, 300, fault);
        // Batches of 1 to 40 bytes put a batch boundary at every position of a frame,
        // of the bad frame and of the frame after it.
        for (std::size_t batch = 1; batch <= 40; ++batch) {
            const Outcome got = receive(stream.bytes, batch);
            ASSERT_EQ(got.frames.size(), stream.expected.size()) << faultName(fault) << ", batches of " << batch;
            ASSERT_TRUE(got.frames == stream.expected) << faultName(fault) << ", batches of " << batch;
            ASSERT_EQ(got.log, stream.log) << faultName(fault) << ", batches of " << batch;
        }
    }
}

TEST(FrameReceiverResync, ABadFrameAtEveryPositionOfASecondCostsOnlyItself) {
    using namespace resync;
    const std::vector<DataFrame> frames = goodFrames(3);
    for (const Fault fault : {Fault::BadChecksum, Fault::StraySyncByte}) {
        for (std::size_t i = 0; i < 256; ++i) {
            const std::size_t at = 256 + i;  // the middle second: also frame 0 and 255
            const Faulted stream = withFault(frames, at, fault);
            // A batch of 256 bytes holds a bad frame at every position of a batch in turn.
            const Outcome got = receive(stream.bytes, 256);
            ASSERT_TRUE(got.frames == stream.expected) << faultName(fault) << " at frame " << i;
            ASSERT_EQ(got.log, stream.log) << faultName(fault) << " at frame " << i;
        }
    }
}

TEST(FrameReceiverResync, TwoBadFramesInARowAreOneErrorAndTheFramesAfterThemAreKept) {
    using namespace resync;
    const std::vector<DataFrame> frames = goodFrames(1);
    struct Case {
        const char* name;
        std::uint8_t firstByte;
        std::size_t firstAt;
        std::uint8_t secondByte;
        std::size_t secondAt;
    };
    for (const Case c : {Case{"two checksums", 0xAA, 18, 0xAA, 18}, Case{"sync then checksum", 0x41, 0, 0xAA, 18},
                         Case{"checksum then sync", 0xAA, 18, 0x41, 0}}) {
        Bytes bytes;
        std::vector<DataFrame> expected;
        DataFrame firstBad = frames[100];
        firstBad[c.firstAt] = c.firstByte;
        DataFrame secondBad = frames[101];
        secondBad[c.secondAt] = c.secondByte;
        for (std::size_t n = 0; n < frames.size(); ++n) {
            const DataFrame& f = n == 100 ? firstBad : n == 101 ? secondBad : frames[n];
            bytes.insert(bytes.end(), f.begin(), f.end());
            if (n != 100 && n != 101) expected.push_back(f);
        }
        const Outcome got = receive(bytes, 64);
        EXPECT_TRUE(got.frames == expected) << c.name;
        const std::string prefix = c.firstAt == 0 ? "Error decodedata: buf19=" : "Checksum error: buf19=";
        // The second bad frame lies in the bytes passed over while looking for a good one.
        EXPECT_EQ(got.log, (Lines{prefix + frameDump(firstBad)})) << c.name;
    }
}

TEST(FrameReceiverResync, SyncBytesInsideTheFramesDataDoNotMisleadTheSearch) {
    using namespace resync;
    // Every sample byte is 0xC1: each frame holds nine false starts.
    const auto syncLike = [](const FrameDateTime&, int) {
        const std::int32_t v = static_cast<std::int32_t>(0xFFC1C1C1u);
        return Sample{v, v, v};
    };
    const std::vector<DataFrame> frames = goodFrames(2, syncLike);
    for (const Fault fault : {Fault::BadChecksum, Fault::StraySyncByte, Fault::CutFrame}) {
        const Faulted stream = withFault(frames, 400, fault);
        for (std::size_t batch : {1u, 19u, 23u, 256u}) {
            const Outcome got = receive(stream.bytes, batch);
            EXPECT_TRUE(got.frames == stream.expected) << faultName(fault) << ", batches of " << batch;
            EXPECT_EQ(got.log, stream.log) << faultName(fault) << ", batches of " << batch;
        }
    }
}

TEST(FrameReceiverResync, AFrameThatChecksOutButHasNoTimeIsPassedOnAndTheFollowingFramesAreKept) {
    using namespace resync;
    const std::vector<DataFrame> frames = goodFrames(1);
    // A whole frame that checks out but has no valid time, between two real frames
    // (stray bytes can look like that).
    DataFrame noTime = frames[0];
    noTime[3] = 0x1A;  // month 1A: no BCD number
    noTime[18] = frameChecksum(noTime);
    Bytes exact;
    std::vector<DataFrame> expected;
    for (std::size_t n = 0; n < frames.size(); ++n) {
        if (n == 50) {
            exact.insert(exact.end(), noTime.begin(), noTime.end());
            expected.push_back(noTime);  // the decoder refuses it with its own line
        }
        exact.insert(exact.end(), frames[n].begin(), frames[n].end());
        expected.push_back(frames[n]);
    }
    const Outcome got = receive(exact, 100);
    EXPECT_TRUE(got.frames == expected);
    EXPECT_TRUE(got.log.empty());
}

TEST(FrameReceiverResync, AnInputLossIsLoggedOnceAndTheFramesAfterItAreKept) {
    using namespace resync;
    const std::vector<DataFrame> frames = goodFrames(1);
    ReceiverRig r;
    r.startData();
    Bytes before;
    for (std::size_t n = 0; n < 10; ++n) before.insert(before.end(), frames[n].begin(), frames[n].end());
    before.resize(before.size() - 5);  // the queue overflowed inside frame 9
    Bytes after(frames[12].begin() + 4, frames[12].end());
    for (std::size_t n = 13; n < 20; ++n) after.insert(after.end(), frames[n].begin(), frames[n].end());
    r.core.port.queue(before);
    r.core.port.lossAfter(before.size(), 61);
    r.core.port.queue(after);
    r.receiver.ComPort1RxChar(static_cast<int>(before.size() + after.size()));
    std::vector<DataFrame> expected(frames.begin(), frames.begin() + 9);
    expected.insert(expected.end(), frames.begin() + 13, frames.begin() + 20);
    EXPECT_TRUE(r.spy.data == expected);
    EXPECT_EQ(r.core.log.lines, (Lines{"Input queue overflow: 61 bytes lost, reception resynchronised"}));
    EXPECT_EQ(r.receiver.droppedInputBytes(), 61u);
}

}  // namespace
}  // namespace zuva::acquisition::testing

// Long randomized streams: hours of 256 Hz frames, cut into batches of random size,
// with corrupt bytes injected. Every second whose 256 frames all got through must
// reach the data file exactly once, in order, with the right sums.
// ZUVA_SOAK_SECONDS (default 3600, an hour per averaging) and ZUVA_SOAK_SEED lengthen or vary it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "AcquisitionRig.h"
#include "acquisition/DataFrameFields.h"
#include "acquisition/GuardedLog.h"
#include "fakes/CountingChartFeed.h"

namespace zuva::acquisition::testing {
namespace {

long envOr(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

constexpr FrameDateTime kStart{2009, 8, 18, 23, 50, 0};

DataFrame trueFrame(long k, int i) {
    const Sample s = trueSample(k, i);
    return encodeDataFrame(later(kStart, k), trueStatus(k), static_cast<std::uint8_t>(i), s.bx, s.by, s.bz);
}

long secondOf(const FrameStamp& s) {
    const long day = s.date.day == kStart.day ? 0 : 1;
    return day * 86400 + s.time.hour * 3600 + s.time.minute * 60 + s.time.second -
           (kStart.hour * 3600 + kStart.minute * 60 + kStart.second);
}

// Sits between reception and decoding: checks every frame handed on is a true
// frame, and works out which seconds the decoder must record.
struct Oracle final : FrameHandler {
    explicit Oracle(FrameHandler& next) : next_(next) {}

    void DecodeDataFrame(const DataFrame& f) override {
        const auto fields = readDataFrame(f);
        if (!fields) {
            // Misaligned bytes after a resync that happen to carry a right checksum:
            // their date or time makes no sense, and the decoder drops them.
            ++impossibleFrames;
            next_.DecodeDataFrame(f);
            return;
        }
        const long k = secondOf(fields->stamp);
        if (k < 0 || f != trueFrame(k, fields->sampleIndex)) {
            ++falseFrames;
        } else {
            const int idx = fields->sampleIndex;
            int& count = delivered[k];
            if (count == idx) ++count;  // in order, none missing so far
            if (idx == 0) ++secondCount;
            if (!lastDate || !(*lastDate == fields->stamp.date)) {
                lastDate = fields->stamp.date;
                if (!fields->stamp.time.isMidnight()) secondCount = 1;
            }
            if (idx == 255 && secondCount > 2 && count == 256) expected.push_back(k);
        }
        next_.DecodeDataFrame(f);
    }
    void DecodePositionFrame(const PositionFrame& f) override { next_.DecodePositionFrame(f); }

    FrameHandler& next_;
    std::map<long, int> delivered;
    std::optional<FrameDate> lastDate;
    std::uint32_t secondCount = 0;
    std::vector<long> expected;
    int falseFrames = 0;
    int impossibleFrames = 0;
};

class StreamSoak : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(StreamSoak, EveryWholeSecondIsRecordedOnceInOrderWithTheRightSums) {
    const std::uint16_t averaging = GetParam();
    const long seconds = envOr("ZUVA_SOAK_SECONDS", 3600);
    std::mt19937_64 rng(static_cast<std::uint64_t>(envOr("ZUVA_SOAK_SEED", 20090819)) + averaging);

    AcquisitionRig rig;  // the fakes
    fakes::CountingChartFeed chart;
    GuardedLog log(rig.log);
    RunFlags flags;
    ControlWord control(rig.port, log, rig.controls, rig.timer, rig.presence, rig.panels, flags);
    RecordDecoder decoder(control, log, rig.clock, rig.file, chart, rig.panels, rig.visualization);
    Oracle oracle(decoder);
    FrameReceiver receiver(rig.port, oracle, control, log, rig.timer, rig.visualization, rig.controls, flags);
    decoder.setAveraging(averaging);
    decoder.resetForRun();
    receiver.resetForRun();
    control.setCharacter(ControlWord::kTransmit, true);
    control.SendControlByte();
    flags.dataMode = true;

    std::vector<std::uint8_t> stream;
    stream.reserve(static_cast<std::size_t>(seconds) * 256 * 19);
    for (long k = 0; k < seconds; ++k) {
        for (int i = 0; i < 256; ++i) {
            const DataFrame f = trueFrame(k, i);
            stream.insert(stream.end(), f.begin(), f.end());
        }
    }
    // Corrupt bytes, about one in 40000, never in the first five seconds.
    std::uniform_int_distribution<std::size_t> where(5 * 256 * 19, stream.size() - 1);
    const std::size_t corruptions = stream.size() / 40000;
    for (std::size_t n = 0; n < corruptions; ++n) stream[where(rng)] ^= static_cast<std::uint8_t>(1 + rng() % 255);

    // Batches mostly as a serial driver hands them over, now and then a backlog.
    std::uniform_int_distribution<std::size_t> small(1, 96);
    std::uniform_int_distribution<std::size_t> backlog(5001, 60000);
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = std::min(stream.size() - at, rng() % 500 == 0 ? backlog(rng) : small(rng));
        rig.port.queue(std::span<const std::uint8_t>(stream).subspan(at, n));
        receiver.ComPort1RxChar(static_cast<int>(n));
        at += n;
    }

    EXPECT_EQ(oracle.falseFrames, 0) << "reception handed on a frame that was never sent";
    ASSERT_GT(oracle.expected.size(), static_cast<std::size_t>(seconds) / 2);
    ASSERT_LT(oracle.expected.size(), static_cast<std::size_t>(seconds)) << "corruption did not happen";

    // Match the records to the seconds of the stream, in order.
    const auto& records = rig.file.records;
    std::vector<long> recordSecond;
    long k = -1;
    for (const recording::SecondRecord& rec : records) {
        do {
            ++k;
        } while (k < seconds && !(later(kStart, k).hour == rec.hour && later(kStart, k).minute == rec.minute &&
                                  later(kStart, k).second == rec.second));
        ASSERT_LT(k, seconds) << "record out of order or of a second never sent";
        recordSecond.push_back(k);
    }
    std::size_t r = 0;
    const std::size_t n = 256 / averaging;
    for (const long good : oracle.expected) {
        while (r < recordSecond.size() && recordSecond[r] < good) ++r;
        ASSERT_LT(r, recordSecond.size()) << "second " << good << " was not recorded";
        ASSERT_EQ(recordSecond[r], good) << "second " << good << " was not recorded";
        const recording::SecondRecord& rec = records[r];
        ASSERT_EQ(rec.tripleCount, n);
        EXPECT_EQ(rec.statusByte, trueStatus(good));
        for (std::size_t j = 0; j < n; ++j) {
            std::int64_t sx = 0, sy = 0, sz = 0;
            for (std::size_t i = j * averaging; i < (j + 1) * averaging; ++i) {
                const Sample s = trueSample(good, static_cast<int>(i));
                sx += s.bx;
                sy += s.by;
                sz += s.bz;
            }
            ASSERT_EQ(rec.bx[j], sx) << "second " << good << " triple " << j;
            ASSERT_EQ(rec.by[j], sy) << "second " << good << " triple " << j;
            ASSERT_EQ(rec.bz[j], sz) << "second " << good << " triple " << j;
        }
        ++r;
    }
    EXPECT_EQ(chart.descending, 0) << "chart points ran backwards between two clearings";
    EXPECT_GE(rig.file.opened.size(), 2u) << "midnight begins a second file";
    int checksumLines = 0;
    int invalidLines = 0;
    for (const std::string& line : rig.log.lines) {
        if (line.rfind("Invalid date or time: buf19=", 0) == 0) ++invalidLines;
        if (line.rfind("Checksum error: buf19=", 0) == 0 || line.rfind("Error decodedata: buf19=", 0) == 0) {
            ++checksumLines;
        }
    }
    EXPECT_GT(checksumLines, 0);
    EXPECT_EQ(invalidLines, oracle.impossibleFrames);
}

INSTANTIATE_TEST_SUITE_P(Averaging, StreamSoak, ::testing::Values(1, 4, 256));

}  // namespace
}  // namespace zuva::acquisition::testing

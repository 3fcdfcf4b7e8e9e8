#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "AcquisitionRig.h"
#include "acquisition/SecondFanOut.h"

namespace zuva::acquisition::testing {
namespace {

struct Kept {
    FrameDate date;
    TimeOfDay time;
    bool pcClock = false;
    std::uint16_t tripleCount = 0;
    double firstBx = 0;
    double lastBz = 0;
};

class KeepingListener final : public SecondListener {
public:
    void secondCompleted(const CompletedSecond& s) override {
        const auto last = static_cast<std::size_t>(s.record->tripleCount - 1);
        seconds.push_back({s.date, s.time, s.pcClock, s.record->tripleCount, s.nanotesla(s.record->bx[0]),
                           s.nanotesla(s.record->bz[last])});
    }
    std::vector<Kept> seconds;
};

class ThrowingListener final : public SecondListener {
public:
    void secondCompleted(const CompletedSecond&) override {
        if (failing) throw std::runtime_error("disk full");
    }
    bool failing = true;
};

Sample steady(const FrameDateTime&, int i) { return {1000 + i, 0, -4000 - i}; }

TEST(SecondFanOut, EveryRecordedSecondReachesTheListenersWithItsDateAndScale) {
    AcquisitionRig r;
    fakes::RecordingLog log;
    SecondFanOut fanOut(log);
    KeepingListener listener;
    fanOut.add(listener, "test products");
    r.acq.decoder().setSecondListener(&fanOut);
    r.start(4, 0.5);
    Stream s;
    // Two warm-up seconds, then two recorded ones across midnight.
    s.seconds({2026, 3, 13, 23, 59, 57}, 4, 0, steady);
    r.deliver(s);

    ASSERT_EQ(r.file.records.size(), 2u);
    ASSERT_EQ(listener.seconds.size(), 2u);
    const Kept& first = listener.seconds[0];
    EXPECT_EQ(first.date, (FrameDate{2026, 3, 13}));
    EXPECT_EQ(first.time, (TimeOfDay{23, 59, 59}));
    EXPECT_FALSE(first.pcClock);
    EXPECT_EQ(first.tripleCount, 64);
    // Group sums of four samples turned back into the mean in nT: sensitivity 0.5, gain 1.
    EXPECT_DOUBLE_EQ(first.firstBx, (1000 + 1001 + 1002 + 1003) / 4.0 * 0.5);
    EXPECT_DOUBLE_EQ(first.lastBz, -(4252 + 4253 + 4254 + 4255) / 4.0 * 0.5);
    EXPECT_EQ(listener.seconds[1].date, (FrameDate{2026, 3, 14}));
    EXPECT_EQ(listener.seconds[1].time, (TimeOfDay{0, 0, 0}));
    EXPECT_TRUE(log.lines.empty());
}

TEST(SecondFanOut, AFailingListenerIsLoggedOnceAndKeepsNoSecondFromTheOthers) {
    AcquisitionRig r;
    fakes::RecordingLog log;
    SecondFanOut fanOut(log);
    ThrowingListener failing;
    KeepingListener after;
    fanOut.add(failing, "IAGA-2002 files");
    fanOut.add(after, "publisher");
    r.acq.decoder().setSecondListener(&fanOut);
    r.start(256);
    Stream s;
    s.seconds({2026, 3, 14, 10, 0, 0}, 5);
    r.deliver(s);
    failing.failing = false;
    Stream more;
    more.seconds({2026, 3, 14, 10, 0, 5}, 1);
    r.deliver(more);

    EXPECT_EQ(after.seconds.size(), 4u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Error: IAGA-2002 files did not take second 10 00 02: disk full"}));

    fanOut.remove(failing);
    EXPECT_EQ(fanOut.size(), 1u);
}

}  // namespace
}  // namespace zuva::acquisition::testing

#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "acquisition/Acquisition.h"
#include "acquisition/FrameEncoder.h"
#include "fakes/CallJournal.h"
#include "fakes/FakeChartFeed.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDataFileSink.h"
#include "fakes/FakePort.h"
#include "fakes/FakePortPresence.h"
#include "fakes/FakeStatusPanels.h"
#include "fakes/FakeTimer.h"
#include "fakes/FakeVisualizationSwitch.h"
#include "fakes/RecordingLog.h"

namespace zuva::acquisition::testing {

struct Sample {
    std::int32_t bx = 0;
    std::int32_t by = 0;
    std::int32_t bz = 0;
};

// The sample a test stream carries at a given second and index unless a test says
// otherwise: distinct per second and position, positive and negative.
inline Sample defaultSample(const FrameDateTime& t, int index) {
    const std::int32_t base = (t.hour * 3600 + t.minute * 60 + t.second) % 1000;
    return {base * 1000 + index, -(base * 7) - index, 4000000 - index * 3};
}

// `seconds` seconds after t (across days, months and years).
FrameDateTime later(FrameDateTime t, long seconds);

// The sample of second k of a long test stream at position i: any 24-bit value,
// spread by a hash, so that a sample filed in the wrong place or second shows.
Sample trueSample(long k, int i);
// The status byte of second k of a long test stream: GPS available (bit 3) in every
// other ten minutes, gain code 0.
inline std::uint8_t trueStatus(long k) { return (k / 600) % 2 == 0 ? 0x00 : 0x08; }

// Bytes of DataFrames, built second by second with the frame encoder.
class Stream {
public:
    using SampleFn = std::function<Sample(const FrameDateTime&, int)>;

    // The frames of one second, SampleIndex first..last.
    Stream& second(const FrameDateTime& t, int first = 0, int last = 255, std::uint8_t status = 0,
                   const SampleFn& sample = defaultSample);
    // `count` whole seconds from t on.
    Stream& seconds(const FrameDateTime& t, int count, std::uint8_t status = 0,
                    const SampleFn& sample = defaultSample);
    Stream& frame(const DataFrame& f);
    Stream& raw(std::span<const std::uint8_t> bytes);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// The acquisition core with every service faked.
struct AcquisitionRig {
    fakes::CallJournal journal;
    fakes::FakePort port;
    fakes::FakeTimer timer;
    fakes::FakePortPresence presence;
    ControlStates controls;
    fakes::RecordingLog log;
    fakes::FakeClock clock;
    fakes::FakeDataFileSink file;
    fakes::FakeChartFeed chart;
    fakes::FakeStatusPanels panels;
    fakes::FakeVisualizationSwitch visualization;
    Acquisition acq;

    AcquisitionRig();
    // The core recording into another data file sink and chart (a real writer, a
    // chart that keeps no points); `file` and `chart` above then stay unused.
    AcquisitionRig(recording::DataFileSink& dataFile, ChartFeed& charts);

    // What the Start handler does to the core: averaging and sensitivity taken over,
    // the run prepared and transmission switched on. Clears the log, the sent bytes
    // and the chart resets so tests see only what the stream causes.
    void start(std::uint16_t averaging = 1, double sensitivity = 1.0);
    // What the Stop handler does to the core.
    void stop();
    // One notification delivering `bytes`.
    void deliver(std::span<const std::uint8_t> bytes);
    // A stream in notifications of 256 bytes, as the port hands them over at full rate.
    void deliver(const Stream& s) { deliverInBatches(s.bytes(), 256); }
    // The bytes delivered in notifications of `batch` bytes each.
    void deliverInBatches(std::span<const std::uint8_t> bytes, std::size_t batch);
    // The log without the GPS availability lines, which the first index-250 frame of
    // every run writes.
    std::vector<std::string> notableLog() const;
};

}  // namespace zuva::acquisition::testing

#include "AcquisitionRig.h"

#include <algorithm>

#include "acquisition/FrameDate.h"

namespace zuva::acquisition::testing {

FrameDateTime later(FrameDateTime t, long seconds) {
    long total = t.second + 60L * (t.minute + 60L * t.hour) + seconds;
    long days = total / 86400;
    total %= 86400;
    t.hour = static_cast<int>(total / 3600);
    t.minute = static_cast<int>(total / 60 % 60);
    t.second = static_cast<int>(total % 60);
    for (; days > 0; --days) {
        if (++t.day > daysInMonth(t.year, t.month)) {
            t.day = 1;
            if (++t.month > 12) {
                t.month = 1;
                ++t.year;
            }
        }
    }
    return t;
}

Sample trueSample(long k, int i) {
    std::uint64_t x = static_cast<std::uint64_t>(k) * 256 + static_cast<std::uint64_t>(i) + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    const std::uint64_t h = x ^ (x >> 31);
    auto v = [](std::uint64_t bits) { return static_cast<std::int32_t>(bits % 16777216) - 8388608; };
    return {v(h), v(h >> 24), v(h >> 40)};
}

Stream& Stream::second(const FrameDateTime& t, int first, int last, std::uint8_t status, const SampleFn& sample) {
    for (int i = first; i <= last; ++i) {
        const Sample s = sample(t, i);
        frame(encodeDataFrame(t, status, static_cast<std::uint8_t>(i), s.bx, s.by, s.bz));
    }
    return *this;
}

Stream& Stream::seconds(const FrameDateTime& t, int count, std::uint8_t status, const SampleFn& sample) {
    for (int k = 0; k < count; ++k) second(later(t, k), 0, 255, status, sample);
    return *this;
}

Stream& Stream::frame(const DataFrame& f) { return raw(f); }

Stream& Stream::raw(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

AcquisitionRig::AcquisitionRig()
    : acq({port, timer, presence, controls, log, clock, file, chart, panels, visualization}) {
    port.journal = &journal;
    file.journal = &journal;
    chart.journal = &journal;
}

AcquisitionRig::AcquisitionRig(recording::DataFileSink& dataFile, ChartFeed& charts)
    : acq({port, timer, presence, controls, log, clock, dataFile, charts, panels, visualization}) {
    port.journal = &journal;
}

void AcquisitionRig::start(std::uint16_t averaging, double sensitivity) {
    acq.decoder().setAveraging(averaging);
    acq.decoder().setSensitivity(sensitivity);
    acq.PrepareRun();
    acq.StartTransmission();
    log.clear();
    port.sent.clear();
    journal.calls.clear();
    chart.resets = 0;
}

void AcquisitionRig::stop() {
    acq.EndRun();
    acq.StopTransmission();
}

void AcquisitionRig::deliver(std::span<const std::uint8_t> bytes) {
    port.queue(bytes);
    acq.ComPort1RxChar(static_cast<int>(bytes.size()));
}

void AcquisitionRig::deliverInBatches(std::span<const std::uint8_t> bytes, std::size_t batch) {
    for (std::size_t at = 0; at < bytes.size(); at += batch) deliver(bytes.subspan(at, std::min(batch, bytes.size() - at)));
}

std::vector<std::string> AcquisitionRig::notableLog() const {
    std::vector<std::string> lines;
    for (const std::string& l : log.lines) {
        if (l.rfind("GPS: Available. ", 0) != 0 && l.rfind("GPS: Not available. ", 0) != 0) lines.push_back(l);
    }
    return lines;
}

}  // namespace zuva::acquisition::testing

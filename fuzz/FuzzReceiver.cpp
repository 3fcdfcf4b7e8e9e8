// Hostile serial input: the bytes go through the characters-received handler into
// the real record decoder, which writes to an in-memory data file sink and reads a
// fake clock.
//
// Input layout:
//   byte 0  bits 0-3 averaging 2^(n mod 9); bits 4-5 what is running:
//           0 a recording run, 1 a GPS request only, 2 a GPS request and a run
//           begun as soon as the position has come, 3 a run with a GPS request at
//           the first split;
//           bit 6 visualization off; bit 7 a new file every hour
//   byte 1  bits 0-1 gain before the run; bits 2-3 gain asked for at the second split;
//           bit 4 Stop and Start again at the third split; bit 5 the clock runs on a
//           second per notification; bit 6 the clock stands just before midnight
//   byte 2  the first split point, in bytes
//   byte 3-4 two more split points (fractions of the stream in 1/256)
//   byte 5  most bytes the port hands over per read (0: all waiting)
//   byte 6  bit 0: each notification announces more bytes than are waiting;
//           bit 1: the port goes away and comes back at the second split (reception
//           resumes with the next whole second); bit 2: the Stop at the third split
//           happens while the port is away
//           bit 3: an edited stream instead of raw bytes (below)
//   rest    the byte stream from the instrument
//
// Edited stream (byte 6 bit 3): a run at 256 Hz receives three clean seconds and
// then one frame per remaining input byte, each edited by that byte: bits 0-1
// 0 sent as it is, 1 left out, 2 sent with a wrong checksum, 3 sent after 1..8
// stray bytes (bits 2-4) that are never the sync byte; bytes are handed over in
// notifications of byte 2 + 1 bytes. Checked: every frame sent intact is in the
// data file at its place, every other position of a recorded second holds the
// nearest earlier intact sample of its own second (the first one when the gap is
// at its start), and every second that could be completed is recorded.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include <map>
#include <optional>
#include <vector>

#include "FuzzCheck.h"
#include "acquisition/Acquisition.h"
#include "fakes/FakeChartFeed.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDataFileSink.h"
#include "fakes/FakePort.h"
#include "fakes/FakePortPresence.h"
#include "fakes/FakeStatusPanels.h"
#include "fakes/FakeTimer.h"
#include "fakes/FakeVisualizationSwitch.h"
#include "fakes/RecordingLog.h"

namespace {

using zuva::fuzz::check;
namespace acq = zuva::acquisition;
namespace fakes = zuva::fakes;

constexpr std::size_t kControlBytes = 7;

bool isDigits(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool printable(const std::string& s) {
    return std::none_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

bool singleLine(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }

// ZUVA_FUZZ_TRACE=1 prints what an input made the decoder do (for reading a crash).
const bool kTrace = std::getenv("ZUVA_FUZZ_TRACE") != nullptr;

struct Rig {
    fakes::FakePort port;
    fakes::FakeTimer timer;
    fakes::FakePortPresence presence;
    acq::ControlStates controls;
    fakes::RecordingLog log;
    fakes::FakeClock clock;
    fakes::FakeDataFileSink file;
    fakes::FakeChartFeed chart;
    fakes::FakeStatusPanels panels;
    fakes::FakeVisualizationSwitch visualization;
    acq::Acquisition core{{port, timer, presence, controls, log, clock, file, chart, panels, visualization}};

    std::uint16_t averaging = 1;
    std::size_t filesOpened = 0;

    void startRun() {
        core.PrepareRun();
        core.StartTransmission();
    }

    // Everything the decoder handed out since the last look obeys the file format
    // and the display's rules; then it is dropped so memory stays small.
    void inspect() {
        for (const auto& info : file.opened) {
            check(info.averaging == averaging, "header averaging is the run's");
            check(info.samplingRateText == std::to_string(256 / averaging), "header sampling rate text");
            check(info.fileDate.size() == 8 && isDigits(info.fileDate), "file date is eight digits");
            const std::string time = info.fileTime.substr(0, 6);
            check(time.size() == 6 && isDigits(time) &&
                      (info.fileTime.size() == 6 || info.fileTime.substr(6) == "_"),
                  "file time is six digits, maybe with \"_\"");
            check(info.dateText.size() == 10 && info.dateText[4] == ' ' && info.dateText[7] == ' ',
                  "date text YYYY MM DD");
            check(info.latitude.size() <= 10 && info.longitude.size() <= 11 && info.altitude.size() <= 7,
                  "position texts within their widths");
            check(printable(info.latitude) && printable(info.longitude) && printable(info.altitude),
                  "position texts hold no control characters");
        }
        if (kTrace) {
            for (const auto& info : file.opened) std::fprintf(stderr, "open %s%s\n", info.fileDate.c_str(), info.fileTime.c_str());
            for (const auto& r : file.records) std::fprintf(stderr, "record %02d:%02d:%02d\n", r.hour, r.minute, r.second);
            for (const auto& line : log.lines) std::fprintf(stderr, "log %s\n", line.c_str());
        }
        filesOpened += file.opened.size();
        file.opened.clear();
        check(file.records.empty() || filesOpened > 0, "no record before a data file was opened");
        for (const auto& r : file.records) {
            check(r.tripleCount == 256 / averaging, "record triple count is 256 / averaging");
            check(r.hour <= 23 && r.minute <= 59 && r.second <= 59, "record time is a time of day");
        }
        file.records.clear();
        for (const auto& batch : chart.batches) {
            check(!batch.empty() && batch.size() <= 256u / averaging, "chart batch size");
            for (const auto& p : batch) {
                check(p.x >= 0.0 && p.x < 1.0, "chart time is within the day");
                check(std::isfinite(p.bx) && std::isfinite(p.by) && std::isfinite(p.bz), "chart values finite");
            }
        }
        chart.batches.clear();
        for (const auto& line : log.lines) check(singleLine(line), "log line without line breaks");
        log.lines.clear();
        for (const auto& text : panels.texts) check(singleLine(text), "panel text without line breaks");
        check(core.receiver().dataFrames().stored() < 2 * acq::kDataFrameSize, "held DataFrame bytes fit");
        check(core.receiver().positionFrames().stored() < acq::kPositionFrameSize, "partial PositionFrame fits");
    }
};

// The sample of frame i of second k of the edited stream, spread by a hash so that
// a value out of its place or second shows.
std::array<std::int32_t, 3> editedSample(long k, int i) {
    std::uint64_t x = static_cast<std::uint64_t>(k) * 256 + static_cast<std::uint64_t>(i) + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    const std::uint64_t h = x ^ (x >> 31);
    auto v = [](std::uint64_t bits) { return static_cast<std::int32_t>(bits % 16777216) - 8388608; };
    return {v(h), v(h >> 24), v(h >> 40)};
}

// k seconds after base, within the same day.
acq::FrameDateTime timeOf(acq::FrameDateTime base, long k) {
    const long ofDay = (base.hour * 3600L + base.minute * 60L + base.second + k) % 86400;
    base.hour = static_cast<int>(ofDay / 3600);
    base.minute = static_cast<int>(ofDay / 60 % 60);
    base.second = static_cast<int>(ofDay % 60);
    return base;
}

void editedStream(const std::uint8_t* data, std::size_t size) {
    Rig rig;
    rig.averaging = 1;
    rig.core.decoder().setAveraging(1);
    rig.startRun();
    const std::size_t batch = static_cast<std::size_t>(data[2]) + 1;
    const acq::FrameDateTime base{2026, 12, 11, 13, 59, 40};
    constexpr long kClean = 3 * 256;
    const long frames = kClean + static_cast<long>(size - kControlBytes);

    std::vector<std::uint8_t> bytes;
    // Per second: which positions were sent intact.
    std::map<long, std::array<bool, 256>> intact;
    for (long n = 0; n < frames; ++n) {
        const long k = n / 256;
        const int i = static_cast<int>(n % 256);
        const std::uint8_t op = n < kClean ? 0 : data[kControlBytes + static_cast<std::size_t>(n - kClean)];
        const acq::FrameDateTime t = timeOf(base, k);
        const auto v = editedSample(k, i);
        auto f = acq::encodeDataFrame(t, 0x08, static_cast<std::uint8_t>(i), v[0], v[1], v[2]);
        intact[k];
        switch (op & 3) {
            case 0:
                intact[k][static_cast<std::size_t>(i)] = true;
                break;
            case 1:
                continue;
            case 2:
                f[acq::kDataFrameSize - 1] = static_cast<std::uint8_t>(f[acq::kDataFrameSize - 1] ^ (op | 1));
                break;
            case 3:
                for (int j = 0; j <= ((op >> 2) & 7); ++j) {
                    const auto stray = static_cast<std::uint8_t>(op + 37 * j);
                    bytes.push_back(stray == acq::kDataFrameSync ? 0x00 : stray);
                }
                intact[k][static_cast<std::size_t>(i)] = true;
                break;
        }
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    for (std::size_t at = 0; at < bytes.size(); at += batch) {
        const std::size_t n = std::min(batch, bytes.size() - at);
        rig.port.queue(std::span<const std::uint8_t>(bytes).subspan(at, n));
        rig.core.ComPort1RxChar(static_cast<int>(n));
    }

    // The seconds that must be recorded, with their expected values.
    const long lastSecond = (frames - 1) / 256;
    auto record = rig.file.records.begin();
    for (const auto& [k, have] : intact) {
        if (k < 2) continue;  // the warm-up
        int count = 0;
        int first = -1;
        for (int i = 0; i < 256; ++i) {
            if (!have[static_cast<std::size_t>(i)]) continue;
            ++count;
            if (first < 0) first = i;
        }
        if (count == 0) continue;  // the whole second lost
        bool completed = have[255];
        for (long later = k + 1; !completed && later <= lastSecond; ++later) {
            const auto it = intact.find(later);
            if (it != intact.end()) {
                for (bool b : it->second) completed = completed || b;
            }
        }
        if (!completed) continue;  // still open when the stream ended
        if (!have[255] && count == 1 && first == 0) continue;  // only its first sample: not written
        check(record != rig.file.records.end(), "every second with good frames is recorded");
        const acq::FrameDateTime t = timeOf(base, k);
        check(record->hour == t.hour && record->minute == t.minute && record->second == t.second,
              "seconds are recorded in order, none missing");
        int source = first;
        for (int i = 0; i < 256; ++i) {
            if (have[static_cast<std::size_t>(i)]) source = i;
            const auto want = editedSample(k, source);
            const auto at = static_cast<std::size_t>(i);
            check(record->bx[at] == want[0] && record->by[at] == want[1] && record->bz[at] == want[2],
                  have[at] ? "every intact frame is in the data file at its place"
                           : "a gap holds the nearest intact sample of its own second");
        }
        ++record;
    }
    check(record == rig.file.records.end(), "no record of a second never sent");
    const auto& counters = rig.core.counters();
    check(counters.secondsRecorded == rig.file.records.size(), "recorded seconds are counted");
    rig.inspect();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kControlBytes) return 0;
    if (data[6] & 8) {
        editedStream(data, size);
        return 0;
    }
    const std::uint8_t mode = data[0];
    const std::uint8_t options = data[1];
    const std::span<const std::uint8_t> stream(data + kControlBytes, size - kControlBytes);

    Rig rig;
    rig.averaging = static_cast<std::uint16_t>(1u << ((mode & 0x0F) % 9));
    rig.port.maxPerRead = data[5];
    const bool overstate = (data[6] & 1) != 0;
    if (options & 0x40) rig.clock.set({2024, 12, 31, 23, 59, 58, 0});
    rig.visualization.on = (mode & 0x40) == 0;

    auto& decoder = rig.core.decoder();
    check(decoder.setAveraging(rig.averaging), "every power of two up to 256 is an averaging");
    decoder.setSensitivity(2.393e-5);
    rig.core.controlWord().ComboBox3Change(options & 3);
    if (mode & 0x80) decoder.ChooseEveryHour();

    const int running = (mode >> 4) & 3;
    if (running == 1 || running == 2) rig.core.controlWord().SpeedButton1Click();
    if (running == 0 || running == 3) rig.startRun();
    bool runStarted = running == 0 || running == 3;

    std::array<std::size_t, 5> cuts{0, std::min<std::size_t>(data[2], stream.size()), stream.size() * data[3] / 256,
                                    stream.size() * data[4] / 256, stream.size()};
    std::sort(cuts.begin() + 1, cuts.end() - 1);
    for (std::size_t part = 0; part + 1 < cuts.size(); ++part) {
        if (part == 1 && running == 3) rig.core.controlWord().SpeedButton1Click();
        if (part == 2) {
            rig.core.controlWord().ComboBox3Change((options >> 2) & 3);
            if ((data[6] & 2) && runStarted) rig.core.ResumeAfterGap();
        }
        if (part == 3 && (options & 0x10) && runStarted) {
            rig.core.EndRun();
            if (data[6] & 4) {
                rig.core.StopTransmissionWithoutPort();
            } else {
                rig.core.StopTransmission();
            }
            rig.startRun();
        }
        const auto piece = stream.subspan(cuts[part], cuts[part + 1] - cuts[part]);
        if (piece.empty()) continue;
        rig.port.queue(piece);
        const std::size_t announced = overstate ? piece.size() + 60000 : piece.size();
        rig.core.ComPort1RxChar(static_cast<int>(announced));
        // Short reads are repeated and an overstated count ends at the first empty
        // read: either way every waiting byte is taken by this notification.
        check(rig.port.waiting() == 0, "every waiting byte is read");
        if (running == 2 && !runStarted && !rig.core.PositionRequestPending()) {
            rig.startRun();
            runStarted = true;
        }
        if (options & 0x20) rig.clock.advance(1000);
        rig.inspect();
    }
    rig.inspect();
    return 0;
}

#include "tools/sim/DayFileRecorder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "acquisition/Acquisition.h"
#include "acquisition/ChartFeed.h"
#include "acquisition/ControlStates.h"
#include "acquisition/NoResponseTimer.h"
#include "acquisition/PortIo.h"
#include "acquisition/PortPresence.h"
#include "acquisition/StatusPanels.h"
#include "acquisition/VisualizationSwitch.h"
#include "recording/Clock.h"
#include "recording/DataFileWriter.h"
#include "recording/LogSink.h"
#include "tools/sim/Instrument.h"
#include "tools/sim/InstrumentClock.h"

namespace zuva::sim {

namespace {

// The serial line as an in-memory queue: control bytes go straight to the unit, the
// unit's frames wait until the receiver reads them.
class UnitLine final : public acquisition::PortIo {
public:
    explicit UnitLine(Instrument& unit) : unit_(unit) {}

    std::size_t ReadBytes(std::span<std::uint8_t> into) override {
        const std::size_t n = std::min(into.size(), waiting_.size() - readAt_);
        std::memcpy(into.data(), waiting_.data() + readAt_, n);
        readAt_ += n;
        if (readAt_ == waiting_.size()) {
            waiting_.clear();
            readAt_ = 0;
        }
        return n;
    }
    void WriteByte(std::uint8_t byte) override {
        unit_.onControlByte(byte, slice_, frames_);
        takeFrames();
    }

    // The unit's slice `slice` goes onto the line.
    void slice(std::int64_t slice) {
        slice_ = slice;
        unit_.onSlice(slice, frames_);
        takeFrames();
    }
    std::size_t waiting() const { return waiting_.size() - readAt_; }

private:
    void takeFrames() {
        for (const FrameBytes& f : frames_) waiting_.insert(waiting_.end(), f.begin(), f.end());
        frames_.clear();
    }

    Instrument& unit_;
    std::int64_t slice_ = 0;
    std::vector<FrameBytes> frames_;
    std::vector<std::uint8_t> waiting_;
    std::size_t readAt_ = 0;
};

// The PC clock, set to the unit's clock.
class FollowingClock final : public recording::Clock {
public:
    explicit FollowingClock(const InstrumentClock& unit) : unit_(unit) {}
    void at(std::int64_t second) { second_ = second; }
    recording::LocalDateTime now() const override {
        const acquisition::FrameDateTime t = unit_.at(second_);
        return {t.year, t.month, t.day, t.hour, t.minute, t.second, 0};
    }

private:
    const InstrumentClock& unit_;
    std::int64_t second_ = 0;
};

class CollectedLog final : public recording::LogSink {
public:
    void addlogfile(const std::string& message) override { lines.push_back(message); }
    std::vector<std::string> lines;
};

// What the window would show and time: nothing is shown, the unit always answers.
class QuietTimer final : public acquisition::NoResponseTimer {
public:
    void start() override { active_ = true; }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

private:
    bool active_ = false;
};

class LinePresence final : public acquisition::PortPresence {
public:
    void CheckComPort() override {}
    std::string SelectedPort() const override { return "zuva-sim"; }
};

class NoChart final : public acquisition::ChartFeed {
public:
    void addPoints(std::span<const acquisition::ChartPoint>) override {}
    void ResetAxisAndSeries() override {}
};

class NoPanels final : public acquisition::StatusPanels {
public:
    void setPanelText(int, const std::string&) override {}
};

class VisualizationOff final : public acquisition::VisualizationSwitch {
public:
    bool isOn() const override { return false; }
    void overloadSwitchOff() override {}
};

}  // namespace

DayFileResult DayFileRecorder::record(const DayFileRequest& request, const SimOptions& unitOptions) {
    if (request.rateIndex < 0 || request.rateIndex > 8) {
        throw std::invalid_argument("the rate index must be 0..8, not " + std::to_string(request.rateIndex));
    }
    if (request.seconds <= 0) throw std::invalid_argument("nothing to record: no seconds asked for");
    struct stat info {};
    if (::stat(request.directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        throw std::runtime_error("no such directory: " + request.directory);
    }

    const InstrumentClock unitClock(InstrumentClock(request.from).at(-kWarmUpSeconds));
    Instrument unit(unitOptions, unitClock.at(0));
    UnitLine line(unit);
    FollowingClock pcClock(unitClock);
    CollectedLog log;
    QuietTimer timer;
    LinePresence presence;
    acquisition::ControlStates controls;
    NoChart chart;
    NoPanels panels;
    VisualizationOff visualization;
    DayFileResult result;
    recording::DataFileWriter writer(log);
    writer.setOutputDirectory(request.directory);
    // Every record is closed after writing; days written in seconds need no sync of each.
    writer.setSyncEachRecord(false);
    writer.setCaptionListener([&result, &writer](const std::string&) {
        const std::string name = writer.DataFileName();
        if (result.files.empty() || result.files.back() != name) result.files.push_back(name);
    });

    acquisition::Acquisition acquisition({line, timer, presence, controls, log, pcClock, writer, chart, panels,
                                          visualization});
    acquisition.decoder().setAveraging(static_cast<std::uint16_t>(256 >> request.rateIndex));
    acquisition.decoder().setSensitivity(request.sensitivity);
    acquisition.PrepareRun();
    acquisition.StartTransmission();

    const std::int64_t seconds = kWarmUpSeconds + request.seconds;
    for (std::int64_t s = 0; s < seconds; ++s) {
        pcClock.at(s);
        for (std::int64_t i = 0; i < 256; ++i) line.slice(s * 256 + i);
        acquisition.ComPort1RxChar(static_cast<int>(line.waiting()));
    }
    acquisition.EndRun();
    acquisition.StopTransmission();

    if (writer.writeFailing() || writer.backlogSeconds() > 0) {
        std::string lines;
        for (const std::string& l : log.lines) lines += "\n  " + l;
        throw std::runtime_error("the data files could not be written:" + lines);
    }
    if (result.files.empty()) {
        throw std::runtime_error("no data file was begun: the unit sent no data (--silent?)");
    }
    result.log = std::move(log.lines);
    return result;
}

}  // namespace zuva::sim

#include "acquisition/RecordDecoder.h"

#include <algorithm>
#include <span>

#include "acquisition/FrameDump.h"
#include "acquisition/SampleTiming.h"

namespace zuva::acquisition {

namespace {

constexpr FrameDate kUnsetInstrumentDate{2005, 1, 11};

bool isBlankOrControl(unsigned char c) { return c <= 0x20 || c == 0x7F; }

// A text field of a PositionFrame: blanks and control characters at both ends are
// removed; a control character inside (it would break the log and header lines)
// becomes a blank.
std::string positionText(std::span<const std::uint8_t> field) {
    std::size_t begin = 0;
    std::size_t end = field.size();
    while (begin < end && isBlankOrControl(field[begin])) ++begin;
    while (end > begin && isBlankOrControl(field[end - 1])) --end;
    std::string text;
    text.reserve(end - begin);
    for (std::size_t i = begin; i < end; ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        text.push_back(isBlankOrControl(c) ? ' ' : static_cast<char>(c));
    }
    return text;
}

}  // namespace

RecordDecoder::RecordDecoder(ControlWord& control, recording::LogSink& log, const recording::Clock& clock,
                             recording::DataFileSink& dataFile, ChartFeed& chart, StatusPanels& panels,
                             VisualizationSwitch& visualization)
    : control_(control),
      log_(log),
      clock_(clock),
      dataFile_(dataFile),
      chart_(chart),
      panels_(panels),
      visualization_(visualization),
      fileFaults_(log),
      portFaults_(log),
      displayFaults_(log) {}

bool RecordDecoder::setAveraging(std::uint16_t averaging) {
    if (averaging == 0 || averaging > 256 || (averaging & (averaging - 1)) != 0) return false;
    averaging_ = averaging;
    groupCountPerSecond_ = static_cast<std::uint8_t>(255 / averaging);
    return true;
}

void RecordDecoder::resetForRun() {
    groupCount_ = 0;
    groupSums_ = {};
    gpsState_ = kGpsUnknown;
    timeTextSet_ = false;
    openFailedAt_.reset();
    // A new run reports its own data file failures.
    fileFaults_.recovered();
    secondsNotWritten_ = 0;
    second_ = {};
    lastSecond_.reset();
    gapReported_ = false;
    rotation_.resetForRun();
}

void RecordDecoder::ChooseEveryHour() {
    followEveryHour();
    log_.addlogfile("Open new file: Every hour");
}

void RecordDecoder::ChooseEveryMidnight() {
    followEveryMidnight();
    log_.addlogfile("Open new file: Every midnight");
}

void RecordDecoder::followEveryHour() {
    rotation_.chooseEveryHour(chartTime_ ? std::optional<int>(chartTime_->hour) : std::nullopt);
}

void RecordDecoder::followEveryMidnight() { rotation_.chooseEveryMidnight(); }

std::string RecordDecoder::TimeText() const { return timeTextSet_ ? timeText(time_) : std::string(); }

void RecordDecoder::DecodeDataFrame(const DataFrame& frame) {
    const auto fields = readDataFrame(frame);
    if (!fields) {
        // A date or time that does not exist cannot be placed in a second or on the
        // time axis: the frame is dropped, decoding goes on with the next one.
        ++counters_->frameErrors;
        log_.addlogfile("Invalid date or time: buf19=" + frameDump(frame));
        return;
    }
    const DataFrameFields& f = *fields;

    // The unit echoes the gain code in force; until it agrees, the byte goes again.
    if (f.gainCode() != control_.SentGainCode()) sendControlByte();

    const bool newSecond = !lastSecond_ || !(*lastSecond_ == f.stamp);
    // A late frame of a second completed already has no place left.
    if (!newSecond && !second_.open) return;
    if (newSecond) beginSecond(f.stamp, f.sampleIndex);

    statusByte_ = f.statusByte;
    date_ = f.stamp.date;
    time_ = f.stamp.time;
    timeTextSet_ = true;
    TimeOfDay chartTime = time_;
    bool pcClock = false;
    if (date_ == kUnsetInstrumentDate) {
        // The unit's clock was never set: names, chart times and the hour check
        // follow the PC's clock, the record keeps the instrument's time.
        const recording::LocalDateTime pc = clock_.now();
        chartTime = {pc.hour, pc.minute, pc.second};
        fileDate_ = fileDateText({pc.year, pc.month, pc.day});
        fileTime_ = fileTimeText(chartTime) + "_";
        pcClock = true;
    } else {
        fileDate_ = fileDateText(date_);
        fileTime_ = fileTimeText(time_);
    }
    chartTime_ = chartTime;
    if (newSecond) {
        // A second's chart time is fixed by its first frame.
        second_.chartTime = chartTime;
        second_.pcClock = pcClock;
    }

    if (rotation_.dateCheck(date_, time_.isMidnight())) resetCharts();

    if (f.sampleIndex == 250) {
        const std::uint8_t gps = f.gpsAvailable() ? 1 : 0;
        if (gps != gpsState_) {
            gpsState_ = gps;
            log_.addlogfile((gps == 1 ? "GPS: Available. " : "GPS: Not available. ") + timeText(time_));
        }
    }

    blockX_[f.sampleIndex] = f.bx;
    blockY_[f.sampleIndex] = f.by;
    blockZ_[f.sampleIndex] = f.bz;
    second_.have.set(f.sampleIndex);
    second_.statusByte = f.statusByte;

    rotation_.hourCheck(chartTime.hour);
    if (rotation_.fileDue()) openDataFile();

    if (f.sampleIndex == 255) {
        completeSecond(std::nullopt);
        applyPendingGain();
    }
}

void RecordDecoder::beginSecond(const FrameStamp& stamp, std::uint8_t index) {
    if (second_.open) completeSecond(std::make_pair(stamp.time, static_cast<int>(index)));
    if (lastSecond_ && !gapReported_) reportLostSeconds(*lastSecond_, stamp);
    gapReported_ = false;
    rotation_.countSecondStart();
    lastSecond_ = stamp;
    second_.open = true;
    second_.date = stamp.date;
    second_.time = stamp.time;
    second_.have.reset();
}

void RecordDecoder::reportLostSeconds(const FrameStamp& from, const FrameStamp& to) {
    const std::int64_t apart = stampSeconds(to) - stampSeconds(from);
    // A jump backwards or by more than kMostLostSeconds is the instrument's clock
    // being set, not a loss of data.
    if (apart <= 1 || apart > kMostLostSeconds + 1) return;
    const std::int64_t missing = apart - 1;
    const auto timeAt = [](std::int64_t seconds) {
        const auto ofDay = static_cast<int>(((seconds % 86400) + 86400) % 86400);
        return TimeOfDay{ofDay / 3600, ofDay / 60 % 60, ofDay % 60};
    };
    const std::int64_t first = stampSeconds(from) + 1;
    counters_->secondsLost += static_cast<std::uint64_t>(missing);
    log_.addlogfile("Lost seconds: " + timeText(timeAt(first)) + " - " + timeText(timeAt(first + missing - 1)) + " (" +
                    std::to_string(missing) + " s)");
}

void RecordDecoder::completeSecond(const std::optional<std::pair<TimeOfDay, int>>& revealedBy) {
    second_.open = false;
    // Seconds are recorded from the third one of a run on; earlier ones only count.
    if (!rotation_.recording()) return;
    if (revealedBy && second_.have.count() == 1 && second_.have.test(0)) {
        // The second ended after its first sample: it is not written.
        log_.addlogfile("Corrected data: " + timeText(second_.time) + "(0) - " + timeText(revealedBy->first) + "(" +
                        std::to_string(revealedBy->second) + ")");
        return;
    }
    const std::uint8_t status = statusByte_;
    statusByte_ = second_.statusByte;
    const std::uint32_t filled = fillGaps();
    FinishSecond(second_.time, second_.chartTime, filled);
    statusByte_ = status;
}

std::uint32_t RecordDecoder::fillGaps() {
    const std::bitset<256>& have = second_.have;
    if (have.all() || have.none()) return 0;
    std::uint32_t filled = 0;
    int first = 0;
    while (!have.test(static_cast<std::size_t>(first))) ++first;
    if (first > 0) {
        fillRun(0, first - 1, first);
        filled += static_cast<std::uint32_t>(first);
    }
    for (int i = first + 1; i < 256;) {
        if (have.test(static_cast<std::size_t>(i))) {
            ++i;
            continue;
        }
        const int from = i;
        while (i < 256 && !have.test(static_cast<std::size_t>(i))) ++i;
        fillRun(from, i - 1, from - 1);
        filled += static_cast<std::uint32_t>(i - from);
    }
    counters_->samplesFilled += filled;
    return filled;
}

void RecordDecoder::fillRun(int from, int to, int source) {
    const auto at = static_cast<std::size_t>(source);
    const std::int32_t x = blockX_[at];
    const std::int32_t y = blockY_[at];
    const std::int32_t z = blockZ_[at];
    std::fill(blockX_.begin() + from, blockX_.begin() + to + 1, x);
    std::fill(blockY_.begin() + from, blockY_.begin() + to + 1, y);
    std::fill(blockZ_.begin() + from, blockZ_.begin() + to + 1, z);
    // The range names every position that now holds the sample's value, the sample
    // itself included: (200-255) after the lost end, (0-3) before a late start.
    const int low = std::min(from, source);
    const int high = std::max(to, source);
    log_.addlogfile("Corrected data: " + timeText(second_.time) + "(" + std::to_string(low) + "-" +
                    std::to_string(high) + ") = " + std::to_string(x) + " " + std::to_string(y) + " " +
                    std::to_string(z));
}

void RecordDecoder::DecodePositionFrame(const PositionFrame& frame) {
    const std::string date = "20" + bcdDigits(frame[2]) + " " + bcdDigits(frame[3]) + " " + bcdDigits(frame[4]);
    const std::string time = bcdDigits(frame[5]) + " " + bcdDigits(frame[6]) + " " + bcdDigits(frame[7]);
    const std::span<const std::uint8_t> bytes(frame);
    latitude_ = positionText(bytes.subspan(8, 10));
    longitude_ = positionText(bytes.subspan(18, 11));
    altitude_ = positionText(bytes.subspan(29, 7));
    const std::string text = "GPS: " + longitude_ + " " + latitude_ + " " + altitude_ + " (" + date + " " + time + ")";
    try {
        panels_.setPanelText(StatusPanels::kGps, text);
    } catch (...) {
        displayFaults_.failed("Error: status bar not updated: " + currentErrorText(std::current_exception()));
    }
    log_.addlogfile(text);
}

void RecordDecoder::FinishSecond(const TimeOfDay& secondTime, const TimeOfDay& chartTime, std::uint32_t filled) {
    const bool feed = visualization_.isOn();
    const double sensitivity = sensitivity_;
    const double gain = control_.gain();
    int points = 0;
    groupCount_ = 0;
    groupSums_ = {};
    int groupMs = 0;
    for (int i = 0; i < 256; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const int ms = positionMillisecond(i);
        if (averaging_ == 1) {
            if (feed) {
                points_[static_cast<std::size_t>(points++)] = {
                    dayFraction(chartTime, ms), static_cast<double>(blockX_[at]) * sensitivity / gain,
                    static_cast<double>(blockY_[at]) * sensitivity / gain,
                    static_cast<double>(blockZ_[at]) * sensitivity / gain};
            }
            continue;
        }
        if (groupCount_ == 0) groupMs = ms;
        ++groupCount_;
        groupSums_.bx += blockX_[at];
        groupSums_.by += blockY_[at];
        groupSums_.bz += blockZ_[at];
        if (groupCount_ == averaging_) {
            const auto group = at / averaging_;
            record_.bx[group] = groupSums_.bx;
            record_.by[group] = groupSums_.by;
            record_.bz[group] = groupSums_.bz;
            if (feed) {
                const double n = averaging_;
                points_[static_cast<std::size_t>(points++)] = {
                    dayFraction(chartTime, groupMs), static_cast<double>(groupSums_.bx) * sensitivity / gain / n,
                    static_cast<double>(groupSums_.by) * sensitivity / gain / n,
                    static_cast<double>(groupSums_.bz) * sensitivity / gain / n};
            }
            groupCount_ = 0;
            groupSums_ = {};
        }
    }
    if (feed && points > 0) feedChart(points);
    fillRecord(secondTime);
    if (appendRecord(secondTime)) ++counters_->secondsRecorded;
    passOn(secondTime, filled);
    showSecond(secondTime);
}

void RecordDecoder::feedChart(int count) {
    try {
        chart_.addPoints(std::span<const ChartPoint>(points_.data(), static_cast<std::size_t>(count)));
        displayFaults_.recovered();
    } catch (...) {
        displayFaults_.failed("Error: chart points not shown: " + currentErrorText(std::current_exception()));
    }
}

void RecordDecoder::fillRecord(const TimeOfDay& secondTime) {
    record_.statusByte = statusByte_;
    record_.hour = static_cast<std::uint8_t>(secondTime.hour);
    record_.minute = static_cast<std::uint8_t>(secondTime.minute);
    record_.second = static_cast<std::uint8_t>(secondTime.second);
    record_.tripleCount = static_cast<std::uint16_t>(256 / averaging_);
    if (averaging_ == 1) {
        record_.bx = blockX_;
        record_.by = blockY_;
        record_.bz = blockZ_;
    }
}

void RecordDecoder::passOn(const TimeOfDay& secondTime, std::uint32_t filled) {
    if (seconds_ == nullptr) return;
    CompletedSecond second;
    second.date = second_.date;
    second.time = secondTime;
    second.pcClock = second_.pcClock;
    second.filledSamples = filled;
    second.averaging = averaging_;
    second.sensitivity = sensitivity_;
    second.gain = control_.gain();
    second.record = &record_;
    seconds_->secondCompleted(second);
}

bool RecordDecoder::appendRecord(const TimeOfDay& secondTime) {
    const std::string what = timeText(secondTime);
    if (!rotation_.HeaderWritten()) {
        // No data file could be begun for this period: a record appended now would go
        // into a file without header, which no reader can use.
        ++secondsNotWritten_;
        fileFaults_.failed("Error: second " + what + " not recorded: no data file is open");
        return false;
    }
    try {
        dataFile_.AppendSecondRecord(record_);
    } catch (...) {
        ++secondsNotWritten_;
        fileFaults_.failed("Error: second " + what + " not recorded: " + currentErrorText(std::current_exception()));
        return false;
    }
    if (fileFaults_.recovered() > 0) {
        log_.addlogfile("Recording resumed: " + std::to_string(secondsNotWritten_) + " seconds not recorded");
        secondsNotWritten_ = 0;
    }
    return true;
}

void RecordDecoder::showSecond(const TimeOfDay& secondTime) {
    try {
        panels_.setBacklog(dataFile_.backlogSeconds());
        panels_.setPanelText(StatusPanels::kTime, "Time: " + timeText(secondTime));
        panels_.setPanelText(StatusPanels::kBx, "Bx: " + std::to_string(blockX_[0]) + " bit");
        panels_.setPanelText(StatusPanels::kBy, "By: " + std::to_string(blockY_[0]) + " bit");
        panels_.setPanelText(StatusPanels::kBz, "Bz: " + std::to_string(blockZ_[0]) + " bit");
    } catch (...) {
        displayFaults_.failed("Error: status bar not updated: " + currentErrorText(std::current_exception()));
    }
}

void RecordDecoder::openDataFile() {
    // After a failure the file is tried again once a second, not on every frame.
    if (openFailedAt_ && *openFailedAt_ == time_) return;
    recording::DataFileHeaderInfo info;
    info.fileDate = fileDate_;
    info.fileTime = fileTime_;
    info.dateText = dateText(date_);
    info.averaging = averaging_;
    info.samplingRateText = std::to_string(256 / averaging_);
    info.sensitivity = sensitivity_;
    info.gainText = control_.gainText();
    info.longitude = longitude_;
    info.latitude = latitude_;
    info.altitude = altitude_;
    try {
        dataFile_.OpenNewDataFile(info);
    } catch (...) {
        openFailedAt_ = time_;
        fileFaults_.failed("Error: new data file not begun: " + currentErrorText(std::current_exception()) +
                           " (tried again every second)");
        return;
    }
    openFailedAt_.reset();
    rotation_.fileOpened();
}

void RecordDecoder::sendControlByte() {
    try {
        control_.SendControlByte();
        portFaults_.recovered();
    } catch (...) {
        portFaults_.failed("Error: control byte not sent: " + currentErrorText(std::current_exception()));
    }
}

void RecordDecoder::applyPendingGain() {
    if (!control_.PendingGainChange()) return;
    try {
        control_.ApplyPendingGainChange();
        portFaults_.recovered();
    } catch (...) {
        portFaults_.failed("Error: control byte not sent: " + currentErrorText(std::current_exception()));
    }
}

void RecordDecoder::resetCharts() {
    try {
        chart_.ResetAxisAndSeries();
    } catch (...) {
        displayFaults_.failed("Error: charts not cleared: " + currentErrorText(std::current_exception()));
    }
}

}  // namespace zuva::acquisition

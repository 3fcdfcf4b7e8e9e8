#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <utility>
#include <string>

#include "acquisition/ChartFeed.h"
#include "acquisition/ControlWord.h"
#include "acquisition/DataFrameFields.h"
#include "acquisition/FaultReporter.h"
#include "acquisition/FileRotation.h"
#include "acquisition/FrameStamp.h"
#include "acquisition/FrameHandler.h"
#include "acquisition/SecondListener.h"
#include "acquisition/StreamCounters.h"
#include "acquisition/StatusPanels.h"
#include "acquisition/VisualizationSwitch.h"
#include "recording/Clock.h"
#include "recording/DataFileSink.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// Turns good frames into seconds of data. DataFrames are filed by SampleIndex into
// the block of the current second; a second begins at the first frame with a new
// date and time. The frame with index 255 completes the second, or, when that frame
// was lost, the first frame of a later second does. A completed second goes to the
// data file, the charts (while visualization is on), the status bar and the second
// listener. Positions without a good frame of their own take the nearest earlier
// good sample of the same second (the first good one when the gap is at the start)
// and each such run is logged; whole seconds that never came are named in the log.
// PositionFrames give the GPS texts for the next data file header.
//
// Nothing that fails outside (data file, charts, status bar, port) stops decoding
// or costs the frames that follow: each failure is logged once per episode.
class RecordDecoder final : public FrameHandler {
public:
    static constexpr std::uint8_t kGpsUnknown = 3;
    // The longest run of missing seconds reported as lost; a longer jump of the
    // frames' time is taken as the instrument's clock being set.
    static constexpr std::int64_t kMostLostSeconds = 600;

    RecordDecoder(ControlWord& control, recording::LogSink& log, const recording::Clock& clock,
                  recording::DataFileSink& dataFile, ChartFeed& chart, StatusPanels& panels,
                  VisualizationSwitch& visualization);

    void DecodeDataFrame(const DataFrame& frame) override;
    void DecodePositionFrame(const PositionFrame& frame) override;

    // Samples added up per group: 1, 2, 4, ..., 256 (256 / sampling rate). Other
    // values are refused (false) and change nothing. Also sets the group count per
    // second, (256 / averaging) - 1.
    bool setAveraging(std::uint16_t averaging);
    std::uint16_t Averaging() const { return averaging_; }
    std::uint8_t groupCountPerSecond() const { return groupCountPerSecond_; }
    // nT per bit.
    void setSensitivity(double sensitivity) { sensitivity_ = sensitivity; }
    double Sensitivity() const { return sensitivity_; }

    // Start of a run: group count and sums 0, GPS state unknown, no date, hour or
    // time text seen, warm-up from the beginning, a new data file asked for.
    void resetForRun();
    void clearHeaderWritten() { rotation_.clearHeaderWritten(); }

    // The two choices of when to begin a new data file, with their log lines.
    void ChooseEveryHour();
    void ChooseEveryMidnight();
    // The same choices without a log line, for a chooser that logs them itself.
    void followEveryHour();
    void followEveryMidnight();

    // Where every completed second goes after the data file (data products,
    // publisher, reports); may be null.
    void setSecondListener(SecondListener* seconds) { seconds_ = seconds; }
    // Where seconds recorded and lost, samples filled and invalid frames are counted.
    void countInto(StreamCounters& counters) { counters_ = &counters; }
    // The port is back after a gap of its own: the seconds missed meanwhile are
    // reported by the port's lines, not as lost seconds.
    void resumeAfterGap() { gapReported_ = true; }

    const FileRotation& rotation() const { return rotation_; }
    // TimeText of the last decoded DataFrame ("HH MM SS"), empty after Start.
    std::string TimeText() const;
    std::uint8_t GpsState() const { return gpsState_; }
    const std::string& latitude() const { return latitude_; }
    const std::string& longitude() const { return longitude_; }
    const std::string& altitude() const { return altitude_; }

private:
    struct Triple {
        std::int32_t bx = 0;
        std::int32_t by = 0;
        std::int32_t bz = 0;
    };

    // The second being received: what it is and which positions had a good frame.
    struct SecondInProgress {
        bool open = false;          // frames are being filed, it is not completed yet
        FrameDate date;             // its date as the second listener sees it
        TimeOfDay time;             // its instrument time (record time)
        TimeOfDay chartTime;        // where its chart points go
        bool pcClock = false;       // the PC clock stood in for the instrument's
        std::uint8_t statusByte = 0;  // of its last good frame
        std::bitset<256> have;      // positions with a good frame
    };

    // A new second begins with this frame: the one before is completed, a jump over
    // whole seconds is reported, and the warm-up counts it.
    void beginSecond(const FrameStamp& stamp, std::uint8_t index);
    // Completes the second in progress: its gaps are filled and logged, then it is
    // written (while recording). revealedBy is the time and index of the frame that
    // showed its end was lost; nothing when its last frame arrived.
    void completeSecond(const std::optional<std::pair<TimeOfDay, int>>& revealedBy);
    // Fills positions without a good frame; returns how many.
    std::uint32_t fillGaps();
    void fillRun(int from, int to, int source);
    void reportLostSeconds(const FrameStamp& from, const FrameStamp& to);
    // Completes a second: group sums, chart points, the record and the status bar.
    // secondTime is the second's own instrument time (its record time); chartTime
    // the time its chart points are placed at.
    void FinishSecond(const TimeOfDay& secondTime, const TimeOfDay& chartTime, std::uint32_t filled);
    void feedChart(int count);
    void fillRecord(const TimeOfDay& secondTime);
    bool appendRecord(const TimeOfDay& secondTime);
    void passOn(const TimeOfDay& secondTime, std::uint32_t filled);
    void showSecond(const TimeOfDay& secondTime);
    void openDataFile();
    void sendControlByte();
    void applyPendingGain();
    void resetCharts();

    ControlWord& control_;
    recording::LogSink& log_;
    const recording::Clock& clock_;
    recording::DataFileSink& dataFile_;
    ChartFeed& chart_;
    StatusPanels& panels_;
    VisualizationSwitch& visualization_;
    SecondListener* seconds_ = nullptr;
    StreamCounters ownCounters_;
    StreamCounters* counters_ = &ownCounters_;

    FaultReporter fileFaults_;
    FaultReporter portFaults_;
    FaultReporter displayFaults_;
    std::uint32_t secondsNotWritten_ = 0;
    std::optional<TimeOfDay> openFailedAt_;

    // Settings.
    std::uint16_t averaging_ = 4;
    std::uint8_t groupCountPerSecond_ = 63;
    double sensitivity_ = 1.0;

    // The current second.
    std::array<std::int32_t, 256> blockX_{};
    std::array<std::int32_t, 256> blockY_{};
    std::array<std::int32_t, 256> blockZ_{};
    std::uint16_t groupCount_ = 0;
    Triple groupSums_;
    std::uint8_t statusByte_ = 0;

    // Times of the frame being decoded.
    FrameDate date_;
    TimeOfDay time_;                 // the instrument's time (TimeText)
    bool timeTextSet_ = false;
    std::optional<TimeOfDay> chartTime_;  // hour, minute and second texts (the PC's when it stands in)
    std::string fileDate_;
    std::string fileTime_;

    // The second being received, and the date and time of the last second begun.
    SecondInProgress second_;
    std::optional<FrameStamp> lastSecond_;
    bool gapReported_ = false;

    FileRotation rotation_;
    std::uint8_t gpsState_ = kGpsUnknown;
    std::string latitude_;
    std::string longitude_;
    std::string altitude_;

    // Reused for each second, so no second allocates.
    recording::SecondRecord record_;
    std::array<ChartPoint, 256> points_{};
};

}  // namespace zuva::acquisition

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "acquisition/ChartFeed.h"
#include "acquisition/ControlWord.h"
#include "acquisition/DataFrameFields.h"
#include "acquisition/FaultReporter.h"
#include "acquisition/FileRotation.h"
#include "acquisition/FrameHandler.h"
#include "acquisition/SecondListener.h"
#include "acquisition/StatusPanels.h"
#include "acquisition/VisualizationSwitch.h"
#include "recording/Clock.h"
#include "recording/DataFileSink.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// Turns good frames into seconds of data. DataFrames are filed by SampleIndex into
// the block of the current second; the frame with index 255 completes the second,
// which then goes to the data file, the charts (while visualization is on) and the
// status bar. PositionFrames give the GPS texts for the next data file header.
//
// Nothing that fails outside (data file, charts, status bar, port) stops decoding
// or costs the frames that follow: each failure is logged once per episode.
class RecordDecoder final : public FrameHandler {
public:
    static constexpr std::uint8_t kGpsUnknown = 3;

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

    // Completes a second: group sums, chart points, the record and the status bar.
    // secondTime is the second's own instrument time (its record time); chartTime
    // the time its chart points are placed at.
    void FinishSecond(const TimeOfDay& secondTime, const TimeOfDay& chartTime);
    void feedChart(int count);
    void fillRecord(const TimeOfDay& secondTime);
    void appendRecord(const TimeOfDay& secondTime);
    void passOn(const TimeOfDay& secondTime);
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

    // The previous stored sample.
    std::uint8_t lastIndex_ = 0;
    Triple lastSample_;
    TimeOfDay previousTime_;
    TimeOfDay previousChartTime_;

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

#pragma once

#include <cstdint>
#include <optional>

#include "acquisition/FrameDate.h"

namespace zuva::acquisition {

// When a new data file is due: the warm-up count of seconds, the date check and,
// in hourly mode, the hour check. Pure decisions; the decoder acts on them.
class FileRotation {
public:
    enum class Mode { EveryMidnight, EveryHour };

    // A new run: no date or hour seen, no file open, the warm-up begins again.
    void resetForRun();
    // Asks for a new file at the next opportunity (Start and Stop do this).
    void clearHeaderWritten() { headerWritten_ = false; }

    // A frame with SampleIndex 0 begins a second.
    void countSecondStart() { ++secondCount_; }
    // The date of each frame: returns true when it differs from the last one. Then
    // a new file is asked for and, unless the frame is at 00:00:00 (a true midnight),
    // the warm-up begins again.
    bool dateCheck(const FrameDate& date, bool atMidnight);
    // The hour of each stored sample: in hourly mode, once recording, a change of
    // hour asks for a new file.
    void hourCheck(std::optional<int> hour);

    // Frames are recorded from the third second on.
    bool recording() const { return secondCount_ > 2; }
    // Lost ends of seconds are looked for from the fourth second on.
    bool lostEndCheckActive() const { return secondCount_ > 3; }
    bool fileDue() const { return !headerWritten_ && recording(); }
    void fileOpened() { headerWritten_ = true; }

    // "Every hour": the current file is kept until the hour changes.
    void chooseEveryHour(std::optional<int> currentHour);
    void chooseEveryMidnight() { mode_ = Mode::EveryMidnight; }

    Mode mode() const { return mode_; }
    std::uint32_t SecondCount() const { return secondCount_; }
    bool HeaderWritten() const { return headerWritten_; }
    const std::optional<FrameDate>& LastDate() const { return lastDate_; }
    const std::optional<int>& LastHour() const { return lastHour_; }

private:
    Mode mode_ = Mode::EveryMidnight;
    std::uint32_t secondCount_ = 0;
    bool headerWritten_ = false;
    std::optional<FrameDate> lastDate_;
    std::optional<int> lastHour_;
};

}  // namespace zuva::acquisition

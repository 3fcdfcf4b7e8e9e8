#include "acquisition/FileRotation.h"

namespace zuva::acquisition {

void FileRotation::resetForRun() {
    secondCount_ = 0;
    headerWritten_ = false;
    lastDate_.reset();
    lastHour_.reset();
}

bool FileRotation::dateCheck(const FrameDate& date, bool atMidnight) {
    if (lastDate_ && *lastDate_ == date) return false;
    lastDate_ = date;
    if (!atMidnight) secondCount_ = 1;
    headerWritten_ = false;
    return true;
}

void FileRotation::hourCheck(std::optional<int> hour) {
    if (mode_ != Mode::EveryHour || !recording() || lastHour_ == hour) return;
    headerWritten_ = false;
    lastHour_ = hour;
}

void FileRotation::chooseEveryHour(std::optional<int> currentHour) {
    mode_ = Mode::EveryHour;
    lastHour_ = currentHour;
}

}  // namespace zuva::acquisition

#include "service/ClockOffsetWatch.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "recording/UtcCalendar.h"

namespace zuva::service {

ClockOffsetWatch::ClockOffsetWatch(recording::LogSink& log, std::function<double()> utcNow)
    : log_(log), utcNow_(std::move(utcNow)) {}

std::int64_t ClockOffsetWatch::epochSeconds(const acquisition::FrameDate& date, const acquisition::TimeOfDay& time) {
    return recording::UtcCalendar::daysFromCivil(date.year, date.month, date.day) * 86400 + time.hour * 3600 +
           time.minute * 60 + time.second;
}

std::string ClockOffsetWatch::offsetText(double seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%+.3f s", std::fabs(seconds) < 0.0005 ? 0.0 : seconds);
    return text;
}

void ClockOffsetWatch::secondCompleted(const acquisition::CompletedSecond& second) {
    if (second.pcClock) return;
    const double pc = utcNow_();
    const std::int64_t instrument = epochSeconds(second.date, second.time);
    const double offset = pc - static_cast<double>(instrument + 1);
    if (lastInstrument_) {
        const std::int64_t instrumentStep = instrument - *lastInstrument_;
        const double pcStep = pc - lastPc_;
        if (instrumentStep != 1 && pcStep > 0.5 && pcStep < 1.5) {
            char text[160];
            std::snprintf(text, sizeof text, "Warning: instrument clock stepped by %+lld s at %s %s",
                          static_cast<long long>(instrumentStep - 1), acquisition::dateText(second.date).c_str(),
                          acquisition::timeText(second.time).c_str());
            log_.addlogfile(text);
            logged_ = offset;
        }
    }
    if (!logged_) {
        log_.addlogfile("Clock offset: PC minus instrument " + offsetText(offset));
        logged_ = offset;
    } else if (std::fabs(offset - *logged_) > 1.0) {
        log_.addlogfile("Warning: clock offset moved: PC minus instrument " + offsetText(offset) + ", was " +
                        offsetText(*logged_));
        logged_ = offset;
    }
    last_ = offset;
    lastInstrument_ = instrument;
    lastPc_ = pc;
    if (onMeasured_) onMeasured_(offset);
}

}  // namespace zuva::service

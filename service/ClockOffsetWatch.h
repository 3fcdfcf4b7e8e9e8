#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "acquisition/SecondListener.h"
#include "recording/LogSink.h"

namespace zuva::service {

// The offset between the PC's clock and the instrument's, measured as each second
// completes: PC time (UTC) at completion minus the end of that instrument second.
// A healthy station shows a small, steady value (the line's delay).
//
// Logs the first measurement, then one line whenever the offset has moved by more
// than a second from the last value logged ("Warning: clock offset moved: ...") and
// one line when the instrument's clock steps (two seconds in a row whose instrument
// times are not one second apart while the PC saw about one second pass). Seconds
// stamped with the PC's clock (instrument clock unset) are not measured.
class ClockOffsetWatch final : public acquisition::SecondListener {
public:
    // utcNow: the PC's time in seconds since 1970-01-01 UTC.
    ClockOffsetWatch(recording::LogSink& log, std::function<double()> utcNow);

    void secondCompleted(const acquisition::CompletedSecond& second) override;

    // The last offset measured, in seconds (PC minus instrument); none yet: nullopt.
    std::optional<double> offset() const { return last_; }
    // Called with every measurement (the daily report keeps them).
    void setOnMeasured(std::function<void(double)> onMeasured) { onMeasured_ = std::move(onMeasured); }

    // "+0.123 s" style text of an offset.
    static std::string offsetText(double seconds);
    // Seconds since 1970-01-01 of an instrument date and time (UTC).
    static std::int64_t epochSeconds(const acquisition::FrameDate& date, const acquisition::TimeOfDay& time);

private:
    recording::LogSink& log_;
    std::function<double()> utcNow_;
    std::function<void(double)> onMeasured_;
    std::optional<double> last_;
    std::optional<double> logged_;
    std::optional<std::int64_t> lastInstrument_;
    double lastPc_ = 0;
};

}  // namespace zuva::service

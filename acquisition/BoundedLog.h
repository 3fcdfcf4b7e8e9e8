#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "recording/Clock.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// Keeps a noisy line from flooding the event log. Lines of the kinds that a bad
// stream repeats (checksum errors, decode errors, corrected data, invalid date or
// time, lost seconds) are passed on at most kPerMinute times per kind in each minute
// of the PC clock; the rest are counted, and when the minute is over one line per
// kind says how many were left out, e.g. "Checksum error: 473 more in the last
// minute". Every other line passes unchanged and at once.
//
// The end of a minute is noticed at the next line or the next call of poll(), which
// reception makes at every notification.
class BoundedLog final : public recording::LogSink {
public:
    static constexpr int kPerMinute = 10;

    BoundedLog(recording::LogSink& log, const recording::Clock& clock) : log_(log), clock_(clock) {}

    void addlogfile(const std::string& message) override;
    // Writes the summaries of a minute that has ended.
    void poll();
    // Writes the summaries of the minute so far at once (the end of a run), so that
    // no count is left unsaid; the lines already passed this minute still count.
    void flush();

    // Lines of each kind left out since construction (all kinds together).
    std::uint64_t suppressed() const { return suppressedTotal_; }

    // The limited kinds, by the beginning of their lines, and the name each
    // summary line begins with.
    struct Kind {
        std::string_view prefix;
        std::string_view name;
    };
    static constexpr std::array<Kind, 5> kKinds{{
        {"Checksum error: buf19=", "Checksum error"},
        {"Error decodedata: buf19=", "Error decodedata"},
        {"Corrected data: ", "Corrected data"},
        {"Invalid date or time: ", "Invalid date or time"},
        {"Lost seconds: ", "Lost seconds"},
    }};

private:
    // Minutes since year 0 of a clock reading, for telling minutes apart.
    static std::int64_t minuteOf(const recording::LocalDateTime& t);
    // Ends the minute of the counts when `minute` is another one.
    void turnTo(std::int64_t minute);
    void writeSummaries();

    recording::LogSink& log_;
    const recording::Clock& clock_;
    std::optional<std::int64_t> minute_;
    std::array<int, kKinds.size()> written_{};
    std::array<std::uint64_t, kKinds.size()> leftOut_{};
    std::uint64_t suppressedTotal_ = 0;
};

}  // namespace zuva::acquisition

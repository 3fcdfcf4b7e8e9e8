#include "network/MessageBatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "network/ImpfTopic.h"
#include "network/UtcTime.h"

namespace zuva::network {

MessageBatcher::MessageBatcher(std::string code, int level, int secondsPerMessage, StationMetadata metadata,
                               Sink sink, std::string journal)
    : secondTopic_(ImpfTopic::data(code, products::Interval::Second, level)),
      minuteTopic_(ImpfTopic::data(code, products::Interval::Minute, level)),
      secondsPerMessage_(secondsPerMessage < 1 ? 1 : secondsPerMessage),
      metadata_(std::move(metadata)),
      sink_(std::move(sink)),
      journal_(std::move(journal)) {
    seconds_.interval = products::Interval::Second;
    if (!journal_.empty()) restore();
}

MessageBatcher::~MessageBatcher() {
    if (journalFd_ >= 0) ::close(journalFd_);
}

void MessageBatcher::restore() {
    {
        std::ifstream in(journal_);
        std::string line;
        while (std::getline(in, line)) {
            long long t = 0;
            double v[3];
            char text[3][32];
            if (std::sscanf(line.c_str(), "%lld %31s %31s %31s", &t, text[0], text[1], text[2]) != 4) break;
            for (int i = 0; i < 3; ++i) v[i] = std::strtod(text[i], nullptr);
            const products::FieldValue value{t, v[0], v[1], v[2]};
            if (seconds_.size() > 0 && value.time != seconds_.start + static_cast<std::int64_t>(seconds_.size())) break;
            if (seconds_.size() == 0) seconds_.start = value.time;
            seconds_.x.push_back(value.x);
            seconds_.y.push_back(value.y);
            seconds_.z.push_back(value.z);
        }
    }
    journalFd_ = ::open(journal_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    // What was taken back is written again, whole, so that the file holds exactly the batch.
    if (journalFd_ >= 0 && ::ftruncate(journalFd_, 0) == 0) {
        for (std::size_t i = 0; i < seconds_.size(); ++i)
            journalValue({seconds_.start + static_cast<std::int64_t>(i), seconds_.x[i], seconds_.y[i], seconds_.z[i]});
    }
}

void MessageBatcher::journalValue(const products::FieldValue& value) {
    if (journalFd_ < 0) return;
    char line[160];
    const int n = std::snprintf(line, sizeof line, "%lld %.17g %.17g %.17g\n", static_cast<long long>(value.time),
                                value.x, value.y, value.z);
    if (n > 0 && ::write(journalFd_, line, static_cast<std::size_t>(n)) != n) {
        // A journal that cannot be written only loses the restart's copy of the batch.
    }
}

void MessageBatcher::append(const products::FieldValue& value) {
    if (seconds_.size() == 0) seconds_.start = value.time;
    seconds_.x.push_back(value.x);
    seconds_.y.push_back(value.y);
    seconds_.z.push_back(value.z);
    journalValue(value);
}

void MessageBatcher::valueReady(products::Interval interval, const products::FieldValue& value) {
    if (interval == products::Interval::Minute) {
        ImpfPayload minute;
        minute.interval = products::Interval::Minute;
        minute.start = value.time;
        minute.x.push_back(value.x);
        minute.y.push_back(value.y);
        minute.z.push_back(value.z);
        send(minute);
        return;
    }
    if (seconds_.size() > 0) {
        const bool follows = value.time == seconds_.start + static_cast<std::int64_t>(seconds_.size());
        const bool sameDay = UtcTime::dayStart(value.time) == UtcTime::dayStart(seconds_.start);
        if (!follows || !sameDay) flush();
    }
    append(value);
    if (seconds_.size() >= static_cast<std::size_t>(secondsPerMessage_)) flush();
}

void MessageBatcher::flush() {
    if (seconds_.size() == 0) return;
    send(seconds_);
    seconds_.x.clear();
    seconds_.y.clear();
    seconds_.z.clear();
    if (journalFd_ >= 0 && ::ftruncate(journalFd_, 0) != 0) {
        ::close(journalFd_);
        journalFd_ = -1;
    }
}

void MessageBatcher::send(ImpfPayload& payload) {
    const bool second = payload.interval == products::Interval::Second;
    auto& lastDay = second ? lastSecondDay_ : lastMinuteDay_;
    const std::int64_t day = UtcTime::dayStart(payload.start);
    const bool first = !lastDay || *lastDay != day;
    lastDay = day;
    sink_(OutgoingMessage{second ? secondTopic_ : minuteTopic_, payload.compose(first ? &metadata_ : nullptr),
                          payload.start});
}

}  // namespace zuva::network

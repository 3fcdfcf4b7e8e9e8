#include "network/MessageBatcher.h"

#include "network/ImpfTopic.h"
#include "network/UtcTime.h"

namespace zuva::network {

MessageBatcher::MessageBatcher(std::string code, int level, int secondsPerMessage, StationMetadata metadata,
                               Sink sink)
    : secondTopic_(ImpfTopic::data(code, products::Interval::Second, level)),
      minuteTopic_(ImpfTopic::data(code, products::Interval::Minute, level)),
      secondsPerMessage_(secondsPerMessage < 1 ? 1 : secondsPerMessage),
      metadata_(std::move(metadata)),
      sink_(std::move(sink)) {
    seconds_.interval = products::Interval::Second;
}

void MessageBatcher::valueReady(products::Interval interval, const products::FieldValue& value) {
    if (interval == products::Interval::Minute) {
        ImpfPayload minute;
        minute.interval = products::Interval::Minute;
        minute.start = value.time;
        minute.x.push_back(value.x);
        minute.y.push_back(value.y);
        minute.z.push_back(value.z);
        emit(minute);
        return;
    }
    if (seconds_.size() > 0) {
        const bool follows = value.time == seconds_.start + static_cast<std::int64_t>(seconds_.size());
        const bool sameDay = UtcTime::dayStart(value.time) == UtcTime::dayStart(seconds_.start);
        if (!follows || !sameDay) flush();
    }
    if (seconds_.size() == 0) seconds_.start = value.time;
    seconds_.x.push_back(value.x);
    seconds_.y.push_back(value.y);
    seconds_.z.push_back(value.z);
    if (seconds_.size() >= static_cast<std::size_t>(secondsPerMessage_)) flush();
}

void MessageBatcher::flush() {
    if (seconds_.size() == 0) return;
    emit(seconds_);
    seconds_.x.clear();
    seconds_.y.clear();
    seconds_.z.clear();
}

void MessageBatcher::emit(ImpfPayload& payload) {
    const bool second = payload.interval == products::Interval::Second;
    auto& lastDay = second ? lastSecondDay_ : lastMinuteDay_;
    const std::int64_t day = UtcTime::dayStart(payload.start);
    const bool first = !lastDay || *lastDay != day;
    lastDay = day;
    sink_(OutgoingMessage{second ? secondTopic_ : minuteTopic_, payload.compose(first ? &metadata_ : nullptr),
                          payload.start});
}

}  // namespace zuva::network

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "network/ImpfPayload.h"
#include "network/OutgoingMessage.h"
#include "products/FieldValueListener.h"

namespace zuva::network {

// Turns the stream of one-second and one-minute values into data messages: up to
// `secondsPerMessage` consecutive one-second values per message, never across a UTC
// day; every one-minute value in a message of its own as soon as it comes. The first
// message of each UTC day and cadence carries the station's metadata.
class MessageBatcher final : public products::FieldValueListener {
public:
    using Sink = std::function<void(OutgoingMessage)>;

    // journal: a file that holds the one-second values of the message being gathered,
    // so that a restart (also after a kill) sends them; empty: none. Values found
    // there are taken back at construction.
    MessageBatcher(std::string code, int level, int secondsPerMessage, StationMetadata metadata, Sink sink,
                   std::string journal = "");
    ~MessageBatcher() override;
    MessageBatcher(const MessageBatcher&) = delete;
    MessageBatcher& operator=(const MessageBatcher&) = delete;

    void valueReady(products::Interval interval, const products::FieldValue& value) override;
    // Sends the one-second values gathered so far (at shut-down).
    void flush();

private:
    void send(ImpfPayload& payload);
    void append(const products::FieldValue& value);
    void journalValue(const products::FieldValue& value);
    void restore();

    std::string secondTopic_;
    std::string minuteTopic_;
    int secondsPerMessage_;
    StationMetadata metadata_;
    Sink sink_;
    ImpfPayload seconds_;
    std::optional<std::int64_t> lastSecondDay_;  // UTC day start of the last message with metadata
    std::optional<std::int64_t> lastMinuteDay_;
    std::string journal_;
    int journalFd_ = -1;
};

}  // namespace zuva::network

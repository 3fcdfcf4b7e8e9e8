#pragma once

#include <cstdint>
#include <string>

namespace zuva::network {

// One message on its way to the broker: topic, payload and the UTC second it is
// about (its first value, or the time of a log line), by which the queue ages it.
struct OutgoingMessage {
    std::string topic;
    std::string payload;
    std::int64_t dataTime = 0;
};

}  // namespace zuva::network

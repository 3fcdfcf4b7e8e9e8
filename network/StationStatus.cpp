#include "network/StationStatus.h"

#include <cstdio>

#include "network/JsonValue.h"
#include "network/UtcTime.h"

namespace zuva::network {

namespace {

std::string number(const std::optional<double>& value) {
    if (!value) return "null";
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.3f", *value);
    return buffer;
}

}  // namespace

std::string StationStatus::compose() const {
    std::string out = "{\"state\":";
    out += recording ? "\"recording\"" : "\"stopped\"";
    out += ",\"time\":\"" + UtcTime::fromEpoch(time).iso(true) + "\"";
    out += ",\"dataFile\":" + JsonValue::quote(dataFile);
    out += ",\"lastSecond\":" + (lastSecond ? "\"" + UtcTime::fromEpoch(*lastSecond).iso(true) + "\"" : "null");
    out += ",\"backlogSeconds\":" + std::to_string(backlogSeconds);
    out += ",\"port\":" + JsonValue::quote(port);
    out += ",\"diskDaysLeft\":" + number(diskDaysLeft);
    out += ",\"clockOffsetSeconds\":" + number(clockOffsetSeconds);
    out += ",\"mqttBacklog\":" + std::to_string(mqttBacklog);
    out += ",\"counters\":{\"secondsRecorded\":" + std::to_string(secondsRecorded) +
           ",\"secondsLost\":" + std::to_string(secondsLost) + ",\"samplesFilled\":" + std::to_string(samplesFilled) +
           ",\"frameErrors\":" + std::to_string(frameErrors) + "}}";
    return out;
}

std::string StationStatus::offline(std::int64_t time) {
    if (time == 0) return "{\"state\":\"offline\"}";
    return "{\"state\":\"offline\",\"time\":\"" + UtcTime::fromEpoch(time).iso(true) + "\"}";
}

}  // namespace zuva::network

#include "network/StatusBoard.h"

#include "network/ImpfTopic.h"
#include "network/JsonValue.h"
#include "network/UtcTime.h"

namespace zuva::network {

bool StatusBoard::message(const std::string& topic, const std::string& payload) {
    const std::string code = ImpfTopic::statusCode(topic);
    if (code.empty()) return false;
    if (payload.empty()) {
        stations_.erase(code);  // a retained status cleared
    } else {
        stations_[code] = payload;
    }
    return true;
}

std::vector<std::string> StatusBoard::lines(std::int64_t now) const {
    std::vector<std::string> out;
    for (const auto& [code, payload] : stations_) {
        std::string problem;
        const auto json = JsonValue::parse(payload, problem);
        if (!json || !json->isObject()) {
            out.push_back(code + "  unreadable status (" + problem + ")");
            continue;
        }
        const JsonValue* state = json->member("state");
        std::string line = code + "  " + (state != nullptr && state->isString() ? state->string() : "unknown");
        const JsonValue* last = json->member("lastSecond");
        const auto time = last != nullptr && last->isString() ? UtcTime::parseIso(last->string()) : std::nullopt;
        if (time) {
            line += "  last second " + time->iso(true) + "  lag " + std::to_string(now - time->toEpoch()) + " s";
        } else {
            line += "  no second recorded";
        }
        if (const JsonValue* backlog = json->member("mqttBacklog"); backlog != nullptr && backlog->isNumber())
            line += "  waiting " + std::to_string(static_cast<long long>(backlog->number())) + " messages";
        out.push_back(line);
    }
    return out;
}

}  // namespace zuva::network

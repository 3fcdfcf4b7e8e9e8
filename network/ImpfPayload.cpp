#include "network/ImpfPayload.h"

#include <cmath>
#include <cstdio>

#include "network/JsonValue.h"
#include "network/UtcTime.h"

namespace zuva::network {

namespace {

// nT to two decimals, as the IAGA-2002 files carry them; null for a missing value.
void appendValue(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    out += buffer;
}

void appendArray(std::string& out, const char* name, const std::vector<double>& values) {
    out += ",\"";
    out += name;
    out += "\":[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += ',';
        appendValue(out, values[i]);
    }
    out += ']';
}

void appendNumber(std::string& out, const char* name, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, ",\"%s\":%.6g", name, value);
    out += buffer;
}

bool readArray(const JsonValue& root, const char* name, std::vector<double>& out, std::string& problem) {
    const JsonValue* array = root.member(name);
    if (array == nullptr || !array->isArray()) {
        problem = std::string("no array ") + name;
        return false;
    }
    for (const auto& item : array->array()) {
        if (item.isNull()) {
            out.push_back(std::nan(""));
        } else if (item.isNumber()) {
            out.push_back(item.number());
        } else {
            problem = std::string("an item of ") + name + " is neither a number nor null";
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ImpfPayload::compose(const StationMetadata* metadata) const {
    const bool seconds = interval == products::Interval::Second;
    std::string out = "{\"startDate\":\"" + UtcTime::fromEpoch(start).iso(seconds) + "\"";
    appendArray(out, "geomagneticFieldX", x);
    appendArray(out, "geomagneticFieldY", y);
    appendArray(out, "geomagneticFieldZ", z);
    if (metadata != nullptr) {
        if (!metadata->name.empty()) out += ",\"name\":" + JsonValue::quote(metadata->name);
        if (!metadata->institute.empty()) out += ",\"institute\":" + JsonValue::quote(metadata->institute);
        if (metadata->latitude) appendNumber(out, "latitude", *metadata->latitude);
        if (metadata->longitude) appendNumber(out, "longitude", *metadata->longitude);
        if (metadata->elevation) appendNumber(out, "elevation", *metadata->elevation);
        if (!metadata->orientation.empty())
            out += ",\"sensorOrientation\":" + JsonValue::quote(metadata->orientation);
        out += seconds ? ",\"dataIntervalType\":\"1-second (instantaneous)\""
                       : ",\"dataIntervalType\":\"1-minute (00:15-01:45)\"";
    }
    return out + "}";
}

std::optional<ImpfPayload> ImpfPayload::parse(products::Interval interval, const std::string& json,
                                              std::string& problem) {
    const auto root = JsonValue::parse(json, problem);
    if (!root) return std::nullopt;
    if (!root->isObject()) {
        problem = "the payload is no JSON object";
        return std::nullopt;
    }
    const JsonValue* startDate = root->member("startDate");
    if (startDate == nullptr || !startDate->isString()) {
        problem = "no startDate";
        return std::nullopt;
    }
    const auto start = UtcTime::parseIso(startDate->string());
    const bool seconds = interval == products::Interval::Second;
    if (!start || (!seconds && start->second != 0)) {
        problem = "startDate " + startDate->string() + " is no time of " + (seconds ? "a second" : "a minute");
        return std::nullopt;
    }
    ImpfPayload p;
    p.interval = interval;
    p.start = start->toEpoch();
    if (!readArray(*root, "geomagneticFieldX", p.x, problem) || !readArray(*root, "geomagneticFieldY", p.y, problem) ||
        !readArray(*root, "geomagneticFieldZ", p.z, problem))
        return std::nullopt;
    if (p.x.size() != p.y.size() || p.x.size() != p.z.size()) {
        problem = "the arrays have different lengths";
        return std::nullopt;
    }
    return p;
}

}  // namespace zuva::network

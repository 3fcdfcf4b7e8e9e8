#include "network/CollectorArchive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "network/ImpfTopic.h"
#include "network/JsonValue.h"
#include "network/UtcTime.h"
#include "products/IagaFormat.h"

namespace zuva::network {

namespace {

// Publication levels 1..4 and the IAGA-2002 data types they stand for.
const char* dataType(int level) {
    switch (level) {
        case 2: return "provisional";
        case 3: return "quasi-definitive";
        case 4: return "definitive";
        default: return "variation";
    }
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string number(const std::optional<double>& value, const char* format) {
    if (!value) return {};
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, format, *value);
    return buffer;
}

// The station's description from the optional members of a payload.
void readMetadata(const std::string& payload, StationMetadata& meta) {
    std::string problem;
    const auto json = JsonValue::parse(payload, problem);
    if (!json) return;
    const auto text = [&](const char* key, std::string& out) {
        if (const JsonValue* v = json->member(key); v != nullptr && v->isString()) out = v->string();
    };
    const auto real = [&](const char* key, std::optional<double>& out) {
        if (const JsonValue* v = json->member(key); v != nullptr && v->isNumber()) out = v->number();
    };
    text("name", meta.name);
    text("institute", meta.institute);
    text("sensorOrientation", meta.orientation);
    real("latitude", meta.latitude);
    real("longitude", meta.longitude);
    real("elevation", meta.elevation);
}

}  // namespace

CollectorArchive::CollectorArchive(std::string outDirectory, Log log)
    : out_(std::move(outDirectory)), log_(std::move(log)) {}

void CollectorArchive::refuse(const std::string& topic, const std::string& why) {
    ++counts_.refused;
    if (refusedTopics_.insert(topic).second) log_("Message on " + topic + " not used: " + why);
}

CollectorDayFile& CollectorArchive::file(const std::string& code, products::Interval interval, int level,
                                         std::int64_t dayStart) {
    const std::string dir = out_ + "/" + code;
    const std::string name = products::IagaFormat::fileName(code, dayStart, dataType(level)[0], interval);
    const std::string path = dir + "/" + name;
    lastUse_[path] = ++useCounter_;
    auto it = files_.find(path);
    if (it != files_.end()) return *it->second;
    if (files_.size() >= kOpenFiles) {
        const auto oldest = std::min_element(lastUse_.begin(), lastUse_.end(), [this](const auto& a, const auto& b) {
            return (files_.count(a.first) ? a.second : UINT64_MAX) < (files_.count(b.first) ? b.second : UINT64_MAX);
        });
        files_.erase(oldest->first);
        lastUse_.erase(oldest);
    }
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot make " + dir + ": " + std::strerror(errno));
    products::IagaHeader header;
    const StationMetadata& meta = metadata_[code];
    header.iagaCode = upper(code);
    header.source = meta.institute;
    header.stationName = meta.name;
    header.latitude = number(meta.latitude, "%.3f");
    header.longitude = number(meta.longitude, "%.3f");
    header.elevation = number(meta.elevation, "%.0f");
    if (!meta.orientation.empty()) header.orientation = meta.orientation;
    header.intervalType = products::IagaFormat::intervalTypeText(interval);
    header.dataType = dataType(level);
    auto file = std::make_unique<CollectorDayFile>(path, header, interval, dayStart);
    return *files_.emplace(path, std::move(file)).first->second;
}

bool CollectorArchive::message(const std::string& topic, const std::string& payload) {
    const auto parsed = ImpfTopic::parse(topic);
    if (!parsed) return false;
    std::string problem;
    const auto data = ImpfPayload::parse(parsed->interval, payload, problem);
    if (!data) {
        refuse(topic, problem);
        return false;
    }
    if (data->size() > 86400) {
        refuse(topic, "more than a day of values in one message");
        return false;
    }
    if (payload.find("\"name\"") != std::string::npos || payload.find("\"latitude\"") != std::string::npos)
        readMetadata(payload, metadata_[parsed->code]);
    try {
        for (std::size_t i = 0; i < data->size(); ++i) {
            const products::FieldValue value{data->start + static_cast<std::int64_t>(i) * data->step(), data->x[i],
                                             data->y[i], data->z[i]};
            CollectorDayFile& day = file(parsed->code, parsed->interval, parsed->level, UtcTime::dayStart(value.time));
            const auto result = day.put(value);
            if (result == CollectorDayFile::Result::Written) {
                ++counts_.values;
                if (written_) written_(parsed->code, parsed->interval, value.time);
            } else {
                ++counts_.repeats;
            }
        }
    } catch (const std::exception& e) {
        // The message stays unused; a repeat of it (or the station's next run) fills the gap.
        refuse(topic, e.what());
        return false;
    }
    ++counts_.messages;
    refusedTopics_.erase(topic);
    return true;
}

}  // namespace zuva::network

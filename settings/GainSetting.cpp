#include "settings/GainSetting.h"

#include "recording/LogSink.h"
#include "settings/DecimalInteger.h"
#include "settings/SettingsFile.h"

namespace zuva::settings {

GainSetting::Reading GainSetting::read(std::string_view stored) {
    Reading reading;
    const auto value = DecimalInteger::parse(stored);
    if (!value) {
        reading.conversionError = "'" + std::string(stored) + "' is not a valid integer value";
        return reading;
    }
    if (*value < 0 || *value >= kGainCount) {
        reading.logLine = "Error: stored Gain " + std::to_string(*value) + " is not 0..3, gain 1 selected";
        return reading;
    }
    reading.index = *value;
    return reading;
}

GainSetting::Reading GainSetting::load(const SettingsFile& file, recording::LogSink& log) {
    Reading reading = read(file.readConfig(kKey, kDefault));
    if (reading.logLine) log.addlogfile(*reading.logLine);
    return reading;
}

std::string GainSetting::write(std::optional<int> index) { return index ? std::to_string(*index) : "-1"; }

}  // namespace zuva::settings

#include "settings/ShutdownSettingsWriter.h"

#include <exception>
#include <string_view>
#include <utility>

#include "settings/ComPortSetting.h"
#include "settings/GainSetting.h"
#include "settings/OutputDirectorySetting.h"
#include "settings/SamplingRateSetting.h"
#include "settings/SensitivitySetting.h"
#include "settings/SettingsFile.h"
#include "settings/StartSetting.h"

namespace zuva::settings {

std::vector<ShutdownSettingsWriter::Failure> ShutdownSettingsWriter::write(const ShutdownSettings& settings) {
    const std::pair<std::string_view, std::string> entries[] = {
        {SensitivitySetting::kKey, SensitivitySetting::write(settings.sensitivity, decimalSeparator_)},
        {SamplingRateSetting::kKey, SamplingRateSetting::write(settings.samplingRateIndex)},
        {OutputDirectorySetting::kKey, settings.outputDirectory},
        {ComPortSetting::kKey, settings.comPort},
        {GainSetting::kKey, GainSetting::write(settings.gainIndex)},
        {StartSetting::kKey, StartSetting::write(settings.autostart)},
    };
    std::vector<Failure> failures;
    for (const auto& [key, value] : entries) {
        try {
            file_.writeConfig(key, value);
        } catch (const std::exception& e) {
            failures.push_back(Failure{std::string(key), e.what()});
        }
    }
    return failures;
}

}  // namespace zuva::settings

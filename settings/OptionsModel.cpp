#include "settings/OptionsModel.h"

#include <exception>
#include <string>
#include <utility>

#include "recording/LogSink.h"
#include "settings/SamplingRateSetting.h"
#include "settings/SensitivitySetting.h"
#include "settings/SettingsFile.h"
#include "settings/StartSetting.h"

namespace zuva::settings {

namespace {

constexpr int kRates[] = {1, 2, 4, 8, 16, 32, 64, 128, 256};
constexpr int kMinutes[] = {1, 10, 60};
constexpr int kFirstFastRate = 7;  // 128 Hz: one minute on screen only

}  // namespace

OptionsModel::OptionsModel(SettingsFile& file, recording::LogSink& log, char decimalSeparator, OptionsHooks hooks)
    : file_(file), log_(log), decimalSeparator_(decimalSeparator), hooks_(std::move(hooks)) {}

void OptionsModel::FormCreate() {
    minutesIndex_ = 0;
    const SensitivitySetting::Taken taken =
        SensitivitySetting::read(file_.readConfig(SensitivitySetting::kKey, SensitivitySetting::kDefault));
    sensitivityText_ = taken.fieldText;
    setSensitivity(taken.value);
    rateIndex_ = SamplingRateSetting::read(file_.readConfig(SamplingRateSetting::kKey, SamplingRateSetting::kDefault));
    autostart_ = StartSetting::read(file_.readConfig(StartSetting::kKey, StartSetting::kDefault));
    notify();
}

void OptionsModel::ComboBox2Change() {
    if (rateIndex_ >= kFirstFastRate) {
        minutesIndex_ = 0;
        minutesEnabled_ = false;
    } else {
        minutesEnabled_ = true;
    }
    updatePointsOnScreen();
    // Averaging and the group count change together, before anything that may fail,
    // so the record writer never sees one without the other.
    averaging_ = static_cast<std::uint16_t>(256 / rate());
    groupCount_ = static_cast<std::uint8_t>(255 / averaging_);
    if (hooks_.averagingChanged) hooks_.averagingChanged(averaging_, groupCount_);
    notify();
    log_.addlogfile("Sampling rate: " + std::string(samplingRateText()));
}

void OptionsModel::ComboBox5Change() {
    updatePointsOnScreen();
    if (hooks_.resetChartSeries) hooks_.resetChartSeries();
    notify();
    log_.addlogfile("Minutes on screen: " + std::string(minutesText()));
}

void OptionsModel::Button1Click() {
    Edit1Change();
    std::exception_ptr firstError;
    const auto tryWrite = [&](std::string_view key, const std::string& value) {
        try {
            file_.writeConfig(key, value);
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
    };
    tryWrite(SensitivitySetting::kKey, SensitivitySetting::write(sensitivity_, decimalSeparator_));
    tryWrite(SamplingRateSetting::kKey, SamplingRateSetting::write(rateIndex_));
    if (firstError) std::rethrow_exception(firstError);
}

void OptionsModel::Button2Click() {
    visible_ = false;
    notify();
}

double OptionsModel::Edit1Change() {
    const SensitivitySetting::Taken taken = SensitivitySetting::takeOver(sensitivityText_);
    // A text that is not taken is replaced by "1", and that factor goes into every
    // header written afterwards: the replacement is said once, with the text refused.
    if (taken.fieldText != sensitivityText_) {
        rejectedSensitivityText_ = sensitivityText_;
        log_.addlogfile(sensitivityRejectedLine(sensitivityText_));
    } else {
        rejectedSensitivityText_.reset();
    }
    sensitivityText_ = taken.fieldText;
    setSensitivity(taken.value);
    notify();
    return sensitivity_;
}

std::string OptionsModel::sensitivityRejectedLine(std::string_view text) {
    return "Sensitivity: \"" + std::string(text) + "\" is not a number with a full stop; 1 nT/bit is used";
}

void OptionsModel::RadioButton1Click() {
    rotation_ = Rotation::EveryMidnight;
    if (hooks_.followMidnight) hooks_.followMidnight();
    notify();
    log_.addlogfile("Open new file: Every midnight");
}

void OptionsModel::RadioButton2Click() {
    rotation_ = Rotation::EveryHour;
    if (hooks_.followCurrentHour) hooks_.followCurrentHour();
    notify();
    log_.addlogfile("Open new file: Every hour");
}

bool OptionsModel::pickSamplingRate(int index) {
    if (!runControlsEnabled_ || index < 0 || index >= static_cast<int>(kRateTexts.size())) return false;
    rateIndex_ = index;
    ComboBox2Change();
    return true;
}

bool OptionsModel::pickMinutes(int index) {
    if (!minutesEnabled_ || index < 0 || index >= static_cast<int>(kMinutesTexts.size())) return false;
    minutesIndex_ = index;
    ComboBox5Change();
    return true;
}

bool OptionsModel::typeSensitivity(std::string_view text) {
    if (!runControlsEnabled_) return false;
    sensitivityText_ = std::string(text);
    rejectedSensitivityText_.reset();
    notify();
    return true;
}

bool OptionsModel::setAutostart(bool ticked) {
    if (!runControlsEnabled_) return false;
    autostart_ = ticked;
    notify();
    return true;
}

void OptionsModel::setRunControlsEnabled(bool enabled) {
    runControlsEnabled_ = enabled;
    notify();
}

void OptionsModel::show() {
    visible_ = true;
    notify();
}

int OptionsModel::rate() const { return kRates[rateIndex_]; }

int OptionsModel::minutes() const { return kMinutes[minutesIndex_]; }

void OptionsModel::updatePointsOnScreen() {
    pointsOnScreen_ = rate() * minutes() * 60;
    if (hooks_.pointsOnScreenChanged) hooks_.pointsOnScreenChanged(pointsOnScreen_);
}

void OptionsModel::setSensitivity(double value) {
    sensitivity_ = value;
    if (hooks_.sensitivityChanged) hooks_.sensitivityChanged(value);
}

void OptionsModel::notify() {
    if (hooks_.changed) hooks_.changed();
}

}  // namespace zuva::settings

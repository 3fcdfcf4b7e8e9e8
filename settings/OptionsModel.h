#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/OptionsHooks.h"

namespace zuva::recording {
class LogSink;
}

namespace zuva::settings {

class SettingsFile;

// The Options dialog (TOptions) without its widgets: the sampling rate list
// (ComboBox2), the sensitivity field (Edit1) with "Apply" (Button1), the file rotation
// choice (RadioButton1 "Every midnight", RadioButton2 "Every hour"), the minutes on
// screen list (ComboBox5), the autostart check box (CheckBox1) and "Ok" (Button2).
// The controls are the live store of these settings; the program-wide values they set
// (Sensitivity, Averaging, the group count per second, PointsOnScreen) are kept here as
// last set and handed on through the hooks.
//
// The user actions (pick..., typeSensitivity, setAutostart) do nothing while their
// control is disabled, as a disabled widget takes no input.
class OptionsModel {
public:
    static constexpr std::array<std::string_view, 9> kRateTexts = {"1", "2", "4", "8", "16", "32", "64", "128", "256"};
    static constexpr std::array<std::string_view, 3> kMinutesTexts = {"1", "10", "60"};

    static constexpr std::uint16_t kStartAveraging = 4;
    static constexpr std::uint8_t kStartGroupCount = 63;
    static constexpr std::int32_t kStartPointsOnScreen = 3840;

    enum class Rotation { EveryMidnight, EveryHour };

    OptionsModel(SettingsFile& file, recording::LogSink& log, char decimalSeparator, OptionsHooks hooks = {});

    // Creation: selects minutes "1", reads "sensitivity" into the field and
    // Sensitivity, "SamplingRate" into the rate list and "Start" into the check box.
    // No change handler runs: Averaging and PointsOnScreen keep their start values.
    // Whether to start acquisition or ask for the GPS position is the caller's step,
    // from autostart().
    void FormCreate();

    // The rate handler, run by a user pick and by every Start: 128 and 256 Hz select
    // minutes "1" and disable the minutes list, other rates enable it; then
    // PointsOnScreen, Averaging and the group count per second, and the log line
    // "Sampling rate: " + rate.
    void ComboBox2Change();
    // The minutes handler: PointsOnScreen, the chart series cleared, the log line
    // "Minutes on screen: " + minutes.
    void ComboBox5Change();
    // "Apply": takes the field over as Sensitivity (invalid: field "1", 1.0), then
    // writes "sensitivity" and "SamplingRate". Both writes are tried; a refused one
    // throws IniWriteError afterwards, with Sensitivity already set.
    void Button1Click();
    // "Ok": hides the dialog.
    void Button2Click();
    // Sensitivity take-over without writing (run by Start and before a recorded file
    // is opened). Returns the new Sensitivity.
    double Edit1Change();
    // "Every midnight": logs "Open new file: Every midnight".
    void RadioButton1Click();
    // "Every hour": the current file's hour follows the last decoded record, then
    // logs "Open new file: Every hour".
    void RadioButton2Click();

    // User input.
    bool pickSamplingRate(int index);  // select and run ComboBox2Change
    bool pickMinutes(int index);       // select and run ComboBox5Change
    bool typeSensitivity(std::string_view text);
    bool setAutostart(bool ticked);

    // Start disables, Stop enables the rate list, the sensitivity field, "Apply" and
    // the check box.
    void setRunControlsEnabled(bool enabled);
    // The "Options" menu entry.
    void show();

    int samplingRateIndex() const noexcept { return rateIndex_; }
    std::string_view samplingRateText() const noexcept { return kRateTexts[static_cast<std::size_t>(rateIndex_)]; }
    int minutesIndex() const noexcept { return minutesIndex_; }
    std::string_view minutesText() const noexcept { return kMinutesTexts[static_cast<std::size_t>(minutesIndex_)]; }
    const std::string& sensitivityText() const noexcept { return sensitivityText_; }
    // The text the last take-over refused (and replaced by "1"); empty when it took
    // the text. A new take-over of a valid text or typing clears it.
    const std::optional<std::string>& rejectedSensitivityText() const noexcept { return rejectedSensitivityText_; }
    // The event-log line of a refused sensitivity text.
    static std::string sensitivityRejectedLine(std::string_view text);
    bool autostart() const noexcept { return autostart_; }
    Rotation rotation() const noexcept { return rotation_; }
    bool everyHour() const noexcept { return rotation_ == Rotation::EveryHour; }

    double sensitivity() const noexcept { return sensitivity_; }
    std::uint16_t averaging() const noexcept { return averaging_; }
    std::uint8_t groupCountPerSecond() const noexcept { return groupCount_; }
    std::int32_t pointsOnScreen() const noexcept { return pointsOnScreen_; }

    bool samplingRateEnabled() const noexcept { return runControlsEnabled_; }
    bool sensitivityEnabled() const noexcept { return runControlsEnabled_; }
    bool applyEnabled() const noexcept { return runControlsEnabled_; }
    bool autostartEnabled() const noexcept { return runControlsEnabled_; }
    bool minutesEnabled() const noexcept { return minutesEnabled_; }
    bool visible() const noexcept { return visible_; }

private:
    int rate() const;
    int minutes() const;
    void updatePointsOnScreen();
    void setSensitivity(double value);
    void notify();

    SettingsFile& file_;
    recording::LogSink& log_;
    char decimalSeparator_;
    OptionsHooks hooks_;

    int rateIndex_ = 6;
    int minutesIndex_ = 0;
    std::string sensitivityText_ = "1";
    std::optional<std::string> rejectedSensitivityText_;
    bool autostart_ = false;
    Rotation rotation_ = Rotation::EveryMidnight;

    double sensitivity_ = 1.0;
    std::uint16_t averaging_ = kStartAveraging;
    std::uint8_t groupCount_ = kStartGroupCount;
    std::int32_t pointsOnScreen_ = kStartPointsOnScreen;

    bool runControlsEnabled_ = true;
    bool minutesEnabled_ = true;
    bool visible_ = false;
};

}  // namespace zuva::settings

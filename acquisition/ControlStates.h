#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

namespace zuva::acquisition {

// The controls that reception, the control word and the run enable and disable.
enum class Control : std::size_t {
    StartButton,
    StopButton,
    GpsButton,
    GainBox,
    FileMenu,
    RemarksMenu,
    ComPortMenu,
    RateBox,           // the Options dialog's sampling-rate box
    ApplyButton,       // the Options dialog's "Apply"
    AutostartBox,      // "Start acquisition when the program starts"
    SensitivityField,  // the Options dialog's sensitivity field
};

inline constexpr std::size_t kControlCount = 11;

// Enabled/disabled state of those controls, as a plain model the windows bind to.
// Every control starts enabled. Observers hear of each real change.
class ControlStates {
public:
    using Observer = std::function<void(Control, bool enabled)>;

    ControlStates();

    bool isEnabled(Control control) const;
    // Changes the state; observers are told only when it really changes.
    void setEnabled(Control control, bool enabled);

    // Returns an id for removeObserver().
    int addObserver(Observer observer);
    void removeObserver(int id);

private:
    std::array<bool, kControlCount> enabled_{};
    std::vector<std::pair<int, Observer>> observers_;
    int nextObserverId_ = 1;
};

}  // namespace zuva::acquisition

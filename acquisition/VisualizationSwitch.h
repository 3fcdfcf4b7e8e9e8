#pragma once

namespace zuva::acquisition {

// The real-time visualization button ("ON"/"OFF"). Points are fed only while it is on.
class VisualizationSwitch {
public:
    virtual ~VisualizationSwitch() = default;
    virtual bool isOn() const = 0;
    // The overload switch-off: caption "OFF", charts hidden, event line to top 58,
    // window height 150. The caller has already logged the two overload lines.
    virtual void overloadSwitchOff() = 0;
};

}  // namespace zuva::acquisition

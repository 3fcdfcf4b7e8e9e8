#pragma once

#include "acquisition/VisualizationSwitch.h"

namespace zuva::fakes {

// The visualization button: on at start, switched off by the overload rule.
class FakeVisualizationSwitch final : public acquisition::VisualizationSwitch {
public:
    bool isOn() const override { return on; }
    void overloadSwitchOff() override {
        on = false;
        ++overloads;
    }

    bool on = true;
    int overloads = 0;
};

}  // namespace zuva::fakes

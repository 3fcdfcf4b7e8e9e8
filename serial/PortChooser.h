#pragma once

namespace zuva::serial {

class PortChoiceModel;

// The modal port-choice dialog (TComSetupFrm): shows the model's list with its
// preselected entry, lets the user pick (model.Pick) and returns true for OK,
// false for Cancel. The Qt window implements it; tests script it.
class PortChooser {
public:
    virtual ~PortChooser() = default;
    virtual bool choose(PortChoiceModel& model) = 0;
};

}  // namespace zuva::serial

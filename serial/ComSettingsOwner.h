#pragma once

#include "serial/ComTypes.h"

namespace zuva::serial {

// The component behind a settings object: told of every change so that it can
// apply the group to an open device.
class ComSettingsOwner {
public:
    virtual void settingChanged(SettingsGroup group) = 0;

protected:
    ~ComSettingsOwner() = default;
};

}  // namespace zuva::serial

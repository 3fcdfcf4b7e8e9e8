#pragma once

#include <optional>
#include <string>

namespace zuva::serial {

// Which device a port name stands for, so that a port that comes back under the
// same name is reopened only when it is the same device: a stable name under
// /dev/serial/by-id is the device (it carries the adapter's serial number); any
// other name (a ttyUSB number, a pseudo-terminal's link) must lead to the same
// device number as before.
class PortIdentity {
public:
    // The identity of the device a name leads to now; nullopt when it leads nowhere.
    static std::optional<PortIdentity> of(const std::string& name);

    // Whether `now` is the same device as this one.
    bool sameDevice(const PortIdentity& now) const;
    // "136:3" (major:minor), or the stable name.
    std::string text() const;

    static bool isStableName(const std::string& name);

private:
    std::string name_;
    bool stable_ = false;
    unsigned long device_ = 0;
};

}  // namespace zuva::serial

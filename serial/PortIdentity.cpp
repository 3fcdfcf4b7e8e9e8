#include "serial/PortIdentity.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace zuva::serial {

bool PortIdentity::isStableName(const std::string& name) { return name.rfind("/dev/serial/by-id/", 0) == 0; }

std::optional<PortIdentity> PortIdentity::of(const std::string& name) {
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return std::nullopt;
    PortIdentity identity;
    identity.name_ = name;
    identity.stable_ = isStableName(name);
    identity.device_ = static_cast<unsigned long>(info.st_rdev);
    return identity;
}

bool PortIdentity::sameDevice(const PortIdentity& now) const {
    if (stable_ && now.stable_) return name_ == now.name_;
    return device_ == now.device_;
}

std::string PortIdentity::text() const {
    const auto device = static_cast<dev_t>(device_);
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

}  // namespace zuva::serial

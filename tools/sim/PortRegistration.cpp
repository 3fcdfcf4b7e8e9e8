#include "tools/sim/PortRegistration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "serial/PortsDirectory.h"

namespace zuva::sim {

namespace {
std::string readLink(const std::string& path) {
    char buffer[4096];
    const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}
}  // namespace

PortRegistration::PortRegistration(const std::string& portsDir, const std::string& name, const std::string& slavePath)
    : target_(slavePath) {
    const serial::PortsDirectory dir(portsDir.empty() ? serial::PortsDirectory::defaultPath() : portsDir);
    dir.ensure();
    link_ = dir.linkPath(name);
    struct stat info {};
    if (lstat(link_.c_str(), &info) == 0) {
        struct stat target {};
        if (!S_ISLNK(info.st_mode) || stat(link_.c_str(), &target) == 0) {
            throw std::system_error(EEXIST, std::generic_category(), "the port " + link_ + " is in use");
        }
        unlink(link_.c_str());  // dangling: its simulator is gone
    }
    if (symlink(slavePath.c_str(), link_.c_str()) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot register the port " + link_);
    }
}

PortRegistration::~PortRegistration() {
    if (readLink(link_) == target_) unlink(link_.c_str());
}

}  // namespace zuva::sim

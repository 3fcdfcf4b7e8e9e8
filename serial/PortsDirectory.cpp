#include "serial/PortsDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace zuva::serial {

std::string PortsDirectory::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') return std::string(runtime) + "/zuva-ports";
    return "/tmp/zuva-ports-" + std::to_string(geteuid());
}

PortsDirectory::PortsDirectory(std::string path) : path_(std::move(path)) {}

std::string PortsDirectory::linkPath(const std::string& name) const { return path_ + "/" + name; }

bool PortsDirectory::isTrusted() const {
    struct stat info {};
    if (lstat(path_.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

void PortsDirectory::ensure() const {
    if (mkdir(path_.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::system_error(errno, std::generic_category(), "cannot create the ports directory " + path_);
    }
    if (!isTrusted()) {
        throw std::system_error(EPERM, std::generic_category(),
                                "the ports directory " + path_ + " is not a directory of this user");
    }
}

}  // namespace zuva::serial

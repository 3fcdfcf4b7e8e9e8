#include "tools/sim/PortRegistration.h"

#include <fcntl.h>
#include <sys/file.h>
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
    const std::string lock = dir.linkPath("." + name + ".lock");
    lockFd_ = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) throw std::system_error(errno, std::generic_category(), "cannot lock the port name " + lock);
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(lockFd_);
        lockFd_ = -1;
        throw std::system_error(error == EWOULDBLOCK ? EEXIST : error, std::generic_category(),
                                "the port " + link_ + " is in use");
    }
    struct stat info {};
    if (lstat(link_.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            close(lockFd_);
            lockFd_ = -1;
            throw std::system_error(EEXIST, std::generic_category(), link_ + " is in the way and is no port link");
        }
        unlink(link_.c_str());  // left behind by a simulator that is gone
    }
    if (symlink(slavePath.c_str(), link_.c_str()) != 0) {
        const int error = errno;
        close(lockFd_);
        lockFd_ = -1;
        throw std::system_error(error, std::generic_category(), "cannot register the port " + link_);
    }
}

PortRegistration::~PortRegistration() {
    if (readLink(link_) == target_) unlink(link_.c_str());
    if (lockFd_ >= 0) close(lockFd_);
}

}  // namespace zuva::sim

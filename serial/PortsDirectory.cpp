#include "serial/PortsDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string PortsDirectory::refusal() const {
    struct stat info {};
    if (lstat(path_.c_str(), &info) != 0) return {};
    if (!S_ISDIR(info.st_mode)) return "the ports directory " + path_ + " is not a directory";
    if (info.st_uid != geteuid()) {
        return "the ports directory " + path_ + " belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return "the ports directory " + path_ + " is writable by other users (mode " + mode + ")";
    }
    return {};
}

void PortsDirectory::ensure() const {
    if (mkdir(path_.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::system_error(errno, std::generic_category(), "cannot create the ports directory " + path_);
    }
    if (!isTrusted()) {
        const std::string why = refusal();
        throw std::system_error(EPERM, std::generic_category(),
                                why.empty() ? "the ports directory " + path_ + " is not a directory of this user" : why);
    }
}

}  // namespace zuva::serial

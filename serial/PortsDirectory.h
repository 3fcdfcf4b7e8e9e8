#pragma once

#include <string>

namespace zuva::serial {

// The directory where virtual serial ports are registered: each entry is a
// symbolic link, named after the port, to a pseudo-terminal. It is
// $XDG_RUNTIME_DIR/zuva-ports when XDG_RUNTIME_DIR is set, else /tmp/zuva-ports-<uid>.
// A directory owned by another user (or a symbolic link in its place) is not
// trusted: its links are not listed and nothing is registered in it.
class PortsDirectory {
public:
    static std::string defaultPath();

    explicit PortsDirectory(std::string path = defaultPath());

    const std::string& path() const { return path_; }
    // The full path of the port called name in this directory.
    std::string linkPath(const std::string& name) const;

    // An existing directory (not a link) owned by the effective user.
    bool isTrusted() const;

    // Creates the directory with mode 0700 when it is missing. Throws
    // std::system_error when it cannot be created, or exists but is not trusted.
    void ensure() const;

private:
    std::string path_;
};

}  // namespace zuva::serial

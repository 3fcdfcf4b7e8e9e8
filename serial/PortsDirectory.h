#pragma once

#include <string>

namespace zuva::serial {

// The directory where virtual serial ports are registered: each entry is a
// symbolic link, named after the port, to a pseudo-terminal. It is
// $XDG_RUNTIME_DIR/zuva-ports when XDG_RUNTIME_DIR is set, else /tmp/zuva-ports-<uid>.
// A directory owned by another user, one that other users may write into (group or
// others write permission), or a symbolic link in its place is not trusted: its links
// are not listed and nothing is registered in it, since anyone who can write there
// could make the logger open a device of their choosing.
class PortsDirectory {
public:
    static std::string defaultPath();

    explicit PortsDirectory(std::string path = defaultPath());

    const std::string& path() const { return path_; }
    // The full path of the port called name in this directory.
    std::string linkPath(const std::string& name) const;

    // An existing directory (not a link) owned by the effective user that no one
    // else may write into.
    bool isTrusted() const;
    // Why an existing directory is not trusted ("" when it is trusted or missing):
    // "the ports directory /x is writable by other users (mode 0777)".
    std::string refusal() const;

    // Creates the directory with mode 0700 when it is missing. Throws
    // std::system_error when it cannot be created, or exists but is not trusted.
    void ensure() const;

private:
    std::string path_;
};

}  // namespace zuva::serial

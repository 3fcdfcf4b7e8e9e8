#pragma once

#include <stdexcept>
#include <string>

namespace zuva::settings {

// An ini file write that did not happen. The message is "Unable to write to " and the
// file's path; when the write was refused because of what was to be written (a line
// break in a value, a key that cannot be stored) a reason follows after ": ".
// The file on disk is unchanged whenever this is thrown.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& path)
        : std::runtime_error("Unable to write to " + path), path_(path) {}
    IniWriteError(const std::string& path, const std::string& reason)
        : std::runtime_error("Unable to write to " + path + ": " + reason), path_(path) {}

    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace zuva::settings

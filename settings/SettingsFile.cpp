#include "settings/SettingsFile.h"

#include <filesystem>
#include <system_error>

namespace zuva::settings {

namespace {

namespace fs = std::filesystem;

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    return ec ? path : absolute.string();
}

}  // namespace

SettingsFile::SettingsFile(const std::string& path) : ini_(absolutePath(path)) {}

std::string SettingsFile::pathBesideExecutable() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return std::string(kFileName);
    return (exe.parent_path() / kFileName).string();
}

std::string SettingsFile::choosePath(const std::optional<std::string>& givenPath) {
    if (givenPath && !givenPath->empty()) return *givenPath;
    return pathBesideExecutable();
}

std::string SettingsFile::readString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    return ini_.readString(section, key, defaultValue);
}

void SettingsFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    ini_.writeString(section, key, value);
}

std::string SettingsFile::readConfig(std::string_view key, std::string_view defaultValue) const {
    return ini_.readString(kConfigSection, key, defaultValue);
}

void SettingsFile::writeConfig(std::string_view key, std::string_view value) {
    ini_.writeString(kConfigSection, key, value);
}

}  // namespace zuva::settings

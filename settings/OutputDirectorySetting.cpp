#include "settings/OutputDirectorySetting.h"

#include <filesystem>
#include <system_error>

#include "settings/SettingsFile.h"

namespace zuva::settings {

std::string OutputDirectorySetting::read(std::string_view stored, const std::string& currentDirectory) {
    if (stored.empty() || stored.find('\0') != std::string_view::npos) return currentDirectory;
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(stored), ec)) return std::string(stored);
    return currentDirectory;
}

std::string OutputDirectorySetting::load(const SettingsFile& file) {
    return read(file.readConfig(kKey, ""), currentDirectory());
}

std::string OutputDirectorySetting::currentDirectory() {
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : cwd.string();
}

}  // namespace zuva::settings

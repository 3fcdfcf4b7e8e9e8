#include "settings/DirectoryListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zuva::settings {

namespace {

namespace fs = std::filesystem;

}  // namespace

std::string DirectoryListing::normalPath(const std::string& directory) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(directory.empty() ? "." : directory), ec);
    if (ec) p = fs::path("/") / directory;
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s.empty() ? "/" : s;
}

std::string DirectoryListing::join(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

std::vector<DirectoryListing::Row> DirectoryListing::rows(const std::string& currentDirectory,
                                                          const std::vector<std::string>& subdirectories) {
    const std::string current = normalPath(currentDirectory);
    std::vector<Row> out;
    out.push_back(Row{Kind::Root, "/", "/"});
    // Each component below the root: the ones above the current directory, then it.
    std::size_t pos = 1;
    while (pos < current.size()) {
        std::size_t slash = current.find('/', pos);
        if (slash == std::string::npos) slash = current.size();
        const Kind kind = slash == current.size() ? Kind::Current : Kind::Above;
        out.push_back(Row{kind, current.substr(pos, slash - pos), current.substr(0, slash)});
        pos = slash + 1;
    }
    for (const std::string& name : subdirectories) {
        out.push_back(Row{Kind::Subdirectory, name, join(current, name)});
    }
    return out;
}

std::vector<std::string> DirectoryListing::subdirectoriesOf(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(directory), fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zuva::settings

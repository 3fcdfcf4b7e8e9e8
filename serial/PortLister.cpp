#include "serial/PortLister.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <fstream>
#include <memory>
#include <optional>

#include "serial/EComPort.h"

namespace zuva::serial {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool isSymlink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::optional<long> readNumber(const std::string& path) {
    std::ifstream in(path);
    long value = 0;
    if (!(in >> value)) return std::nullopt;
    return value;
}

std::string linkBaseName(const std::string& path) {
    char target[4096];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0) return {};
    std::string text(target, static_cast<std::size_t>(n));
    const auto slash = text.find_last_of('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

PortLister::PortLister(PortListRoots roots) : roots_(std::move(roots)) {}

bool PortLister::lessIgnoringCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

void PortLister::sortNames(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

void PortLister::addSysfsPorts(std::vector<std::string>& names) const {
    DirHandle dir(opendir(roots_.sysClassTty.c_str()));
    if (!dir) throw EComPort(EComPort::kRegistry, errno);
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        const std::string base = roots_.sysClassTty + "/" + name;
        // Consoles, pseudo-terminals and other virtual ttys have no device behind them.
        if (!exists(base + "/device")) continue;
        if (startsWith(name, "ttyS")) {
            const auto type = readNumber(base + "/type");
            if (type) {
                if (*type == 0) continue;  // the 8250 driver's placeholder without a UART
            } else if (linkBaseName(base + "/device/subsystem") == "platform") {
                continue;
            }
        }
        const std::string node = roots_.dev + "/" + name;
        if (exists(node)) names.push_back(node);
    }
}

void PortLister::addLinks(const std::string& directory, std::vector<std::string>& names) const {
    DirHandle dir(opendir(directory.c_str()));
    if (!dir) return;  // none registered
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        const std::string path = directory + "/" + name;
        if (isSymlink(path) && exists(path)) names.push_back(path);
    }
}

std::vector<std::string> PortLister::list() const {
    std::vector<std::string> names;
    addSysfsPorts(names);
    std::vector<std::string> stable;
    addLinks(roots_.dev + "/serial/by-id", stable);
    // A device with a stable name is listed under that name only.
    std::set<std::string> named;
    for (const std::string& link : stable) {
        char* target = ::realpath(link.c_str(), nullptr);
        if (target == nullptr) continue;
        named.insert(target);
        std::free(target);
    }
    std::erase_if(names, [&named](const std::string& node) {
        char* target = ::realpath(node.c_str(), nullptr);
        if (target == nullptr) return false;
        const bool hasStableName = named.count(target) > 0;
        std::free(target);
        return hasStableName;
    });
    names.insert(names.end(), stable.begin(), stable.end());
    const PortsDirectory portsDir(roots_.portsDir);
    if (portsDir.isTrusted()) {
        addLinks(roots_.portsDir, names);
        if (refusal_) refusal_({});
    } else if (refusal_) {
        refusal_(portsDir.refusal());
    }
    sortNames(names);
    return names;
}

}  // namespace zuva::serial

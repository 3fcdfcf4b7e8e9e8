#include "settings/dialogs/VolumeList.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "settings/DirectoryListing.h"
#include "settings/dialogs/DirectoryPathChooser.h"

namespace zuva::settings {

namespace {

constexpr std::array<std::string_view, 9> kNetworkTypes = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "fuse.sshfs", "afs", "ceph"};
// Read-only images (snaps, live media) have a device path but take no data files.
constexpr std::array<std::string_view, 3> kImageTypes = {"squashfs", "iso9660", "udf"};

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
        if (pos > start) out.push_back(line.substr(start, pos - start));
    }
    return out;
}

}  // namespace

std::string VolumeList::unescape(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

bool VolumeList::isRealFileSystem(std::string_view device, std::string_view type) {
    if (std::find(kImageTypes.begin(), kImageTypes.end(), type) != kImageTypes.end()) return false;
    if (std::find(kNetworkTypes.begin(), kNetworkTypes.end(), type) != kNetworkTypes.end()) return true;
    return !device.empty() && device.front() == '/';
}

std::vector<std::string> VolumeList::mountPoints(std::string_view procMounts) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < procMounts.size()) {
        std::size_t end = procMounts.find('\n', pos);
        if (end == std::string_view::npos) end = procMounts.size();
        const auto parts = fields(procMounts.substr(pos, end - pos));
        pos = end + 1;
        if (parts.size() < 3 || !isRealFileSystem(parts[0], parts[2])) continue;
        std::string mountPoint = unescape(parts[1]);
        if (mountPoint.empty() || mountPoint.front() != '/') continue;
        out.push_back(std::move(mountPoint));
    }
    return out;
}

std::vector<std::string> VolumeList::volumes(std::string_view procMounts, const std::string& home) {
    std::vector<std::string> out{"/"};
    auto add = [&out](const std::string& path) {
        if (!path.empty() && std::find(out.begin(), out.end(), path) == out.end()) out.push_back(path);
    };
    if (!home.empty()) add(DirectoryListing::normalPath(home));
    for (const std::string& mountPoint : mountPoints(procMounts)) add(mountPoint);
    return out;
}

std::vector<std::string> VolumeList::systemVolumes() {
    std::ifstream in("/proc/mounts");
    std::stringstream text;
    if (in) text << in.rdbuf();
    const char* home = std::getenv("HOME");
    return volumes(text.str(), home != nullptr ? std::string(home) : std::string());
}

std::string VolumeList::volumeOf(const std::vector<std::string>& volumes, const std::string& path) {
    std::string best = "/";
    for (const std::string& volume : volumes) {
        if ((volume == path || DirectoryPathChooser::isAbove(volume, path)) && volume.size() > best.size()) best = volume;
    }
    return best;
}

}  // namespace zuva::settings

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zuva::settings {

// The volumes the output-directory window offers in place of drives: "/", the home
// directory and the mount points of real file systems (block devices and network
// shares; no proc, sys, cgroup, tmpfs or read-only image mounts).
class VolumeList {
public:
    // Mount points from the text of /proc/mounts, octal escapes ("\040") decoded.
    static std::vector<std::string> mountPoints(std::string_view procMounts);
    // "/" first, then home (when not empty), then the mount points, without repeats.
    static std::vector<std::string> volumes(std::string_view procMounts, const std::string& home);
    // The volumes of this system, read from /proc/mounts and $HOME.
    static std::vector<std::string> systemVolumes();
    // The volume that holds path: the longest volume at or above it; "/" if none.
    static std::string volumeOf(const std::vector<std::string>& volumes, const std::string& path);

private:
    static bool isRealFileSystem(std::string_view device, std::string_view type);
    static std::string unescape(std::string_view field);
};

}  // namespace zuva::settings

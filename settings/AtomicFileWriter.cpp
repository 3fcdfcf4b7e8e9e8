#include "settings/AtomicFileWriter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zuva::settings {

namespace {

namespace fs = std::filesystem;

// The file a chain of symbolic links ends at (the path itself when it is no link).
fs::path followLinks(const fs::path& path) {
    fs::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(p, ec)) break;
        fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p;
}

bool writeAll(int fd, std::string_view content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::atomic<unsigned> tempCounter{0};

}  // namespace

int AtomicFileWriter::replace(const std::string& path, std::string_view content) {
    const fs::path target = followLinks(fs::path(path));
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return errno;
    if (exists) {
        if (!S_ISREG(old.st_mode)) return S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        if (::access(target.c_str(), W_OK) != 0) return errno;
    }

    // A name of our own beside the target; O_EXCL never reuses a stranger's file.
    int fd = -1;
    fs::path temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                      std::to_string(tempCounter.fetch_add(1)));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) return errno;
    }
    if (fd < 0) return EEXIST;

    const auto fail = [&](int error) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return error;
    };
    if (exists) {
        // Owner first: changing it may clear set-id bits, which fchmod then restores.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) return fail(errno);
    }
    if (!writeAll(fd, content)) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    const int closing = ::close(fd);
    fd = -1;
    if (closing != 0) return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);

    // Make the rename durable. Some file systems cannot sync a directory; the new
    // file is in place all the same, so that is not reported.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

}  // namespace zuva::settings

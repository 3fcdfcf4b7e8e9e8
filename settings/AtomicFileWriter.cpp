#include "settings/AtomicFileWriter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <string>
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

// "." + name + ".tmp-" + pid + "-" + counter: the temporary file of a writer.
std::string tempPrefix(const fs::path& target) { return "." + target.filename().string() + ".tmp-"; }

// A writer killed between creating its temporary file and the rename leaves the
// file behind. Those of processes that no longer exist are removed, so that crashes
// do not pile them up; a live writer's file, or any other file, is never touched.
void removeStaleTemporaries(const fs::path& dir, const fs::path& target) {
    const std::string prefix = tempPrefix(target);
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        // The rest must be "<pid>-<counter>", digits only on both sides.
        const std::string rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash > 9 || dash == std::string::npos || dash + 1 == rest.size() ||
            rest.find_first_not_of("0123456789-") != std::string::npos || rest.find('-', dash + 1) != std::string::npos) {
            continue;
        }
        const auto pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        ::unlink(it->path().c_str());
    }
}

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
        temp = dir / (tempPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(tempCounter.fetch_add(1)));
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
    removeStaleTemporaries(dir, target);
    return 0;
}

}  // namespace zuva::settings

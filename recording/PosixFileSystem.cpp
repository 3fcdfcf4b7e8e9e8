#include "recording/PosixFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace zuva::recording {

PosixFileSystem& PosixFileSystem::instance() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

int PosixFileSystem::openFile(const std::string& path, int flags, unsigned mode, int& fd) {
    fd = -1;
    if (path.empty()) return ENOENT;
    int result;
    do {
        result = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (result < 0 && errno == EINTR);
    if (result < 0) return errno;
    fd = result;
    return 0;
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

int PosixFileSystem::linkOpenFile(int fd, const std::string& path) {
    if (path.empty()) return ENOENT;
    // Through /proc, which needs no privilege; AT_EMPTY_PATH does the same where
    // /proc is not mounted, but only for a privileged process.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return errno;
    if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return 0;
    return errno;
}

int PosixFileSystem::writeSome(int fd, const void* data, std::size_t size, std::size_t& written) {
    written = 0;
    ssize_t n;
    do {
        n = ::write(fd, data, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return errno;
    written = static_cast<std::size_t>(n);
    return 0;
}

int PosixFileSystem::syncData(int fd) {
    int rc;
    do {
        rc = ::fdatasync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

int PosixFileSystem::fileSize(int fd, std::uint64_t& size) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    size = static_cast<std::uint64_t>(st.st_size);
    return 0;
}

int PosixFileSystem::truncateFile(int fd, std::uint64_t length) {
    int rc;
    do {
        rc = ::ftruncate(fd, static_cast<off_t>(length));
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

int PosixFileSystem::closeFile(int fd) {
    // The descriptor is gone after close(2) whatever it returns, so EINTR is not retried.
    if (::close(fd) != 0 && errno != EINTR) return errno;
    return 0;
}

int PosixFileSystem::removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

int PosixFileSystem::syncDirectory(const std::string& path) {
    int fd = -1;
    const int error = openFile(path.empty() ? std::string(".") : path, O_RDONLY | O_DIRECTORY, 0, fd);
    if (error != 0) return error;
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    const int syncError = rc == 0 ? 0 : errno;
    ::close(fd);
    return syncError;
}

}  // namespace zuva::recording

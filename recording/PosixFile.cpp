#include "recording/PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "recording/IoError.h"

namespace zuva::recording {

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

PosixFile::~PosixFile() {
    if (fd_ >= 0) ::close(fd_);
}

PosixFile PosixFile::open(const std::string& path, int flags, unsigned mode) {
    int error = 0;
    PosixFile file = tryOpen(path, flags, mode, error);
    if (!file.isOpen()) throw IoError(error);
    return file;
}

PosixFile PosixFile::tryOpen(const std::string& path, int flags, unsigned mode, int& errorCode) {
    errorCode = 0;
    if (path.empty()) {
        errorCode = ENOENT;
        return PosixFile();
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        errorCode = errno;
        return PosixFile();
    }
    return PosixFile(fd);
}

void PosixFile::writeAll(std::span<const std::uint8_t> bytes) {
    writeAll(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void PosixFile::writeAll(const char* data, std::size_t size) {
    if (fd_ < 0) throw IoError(EBADF);
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw IoError(errno);
        }
        if (n == 0) throw IoError(EIO);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::size_t PosixFile::readSome(std::span<std::uint8_t> buffer) {
    if (fd_ < 0) throw IoError(EBADF);
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw IoError(errno);
    }
}

std::size_t PosixFile::readFull(std::span<std::uint8_t> buffer) {
    std::size_t total = 0;
    while (total < buffer.size()) {
        const std::size_t n = readSome(buffer.subspan(total));
        if (n == 0) break;
        total += n;
    }
    return total;
}

std::uint64_t PosixFile::size() const {
    struct stat st {};
    if (fd_ < 0) throw IoError(EBADF);
    if (::fstat(fd_, &st) != 0) throw IoError(errno);
    return static_cast<std::uint64_t>(st.st_size);
}

void PosixFile::seek(std::uint64_t offset) {
    if (fd_ < 0) throw IoError(EBADF);
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) throw IoError(errno);
}

void PosixFile::truncate(std::uint64_t length) {
    if (fd_ < 0) throw IoError(EBADF);
    int rc;
    do {
        rc = ::ftruncate(fd_, static_cast<off_t>(length));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) throw IoError(errno);
}

void PosixFile::close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    // The descriptor is gone after close(2) whatever it returns, so EINTR is not retried.
    if (::close(fd) != 0 && errno != EINTR) throw IoError(errno);
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

}  // namespace zuva::recording

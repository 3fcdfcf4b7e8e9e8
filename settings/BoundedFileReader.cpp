#include "settings/BoundedFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace zuva::settings {

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

BoundedFileReader::Result BoundedFileReader::read(const std::string& path, std::size_t maxBytes) {
    Result result;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        result.status = errno == ENOENT ? Status::Missing : Status::Failed;
        result.error = errno;
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        result.error = errno;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        // A directory, a FIFO or a device is no settings file; reading a FIFO or a
        // terminal could block for ever.
        result.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return result;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    // The size may change while reading; read until end of file but never past the limit.
    std::string content;
    content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            result.error = errno;
            return result;
        }
        if (n == 0) break;
        if (content.size() + static_cast<std::size_t>(n) > maxBytes) {
            result.status = Status::TooLarge;
            return result;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    result.status = Status::Read;
    result.content = std::move(content);
    return result;
}

}  // namespace zuva::settings

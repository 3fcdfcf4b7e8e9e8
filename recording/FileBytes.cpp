#include "recording/FileBytes.h"

#include <unistd.h>

#include <cerrno>

namespace zuva::recording {

namespace {

// A transfer that moved no byte: -1 has errno set; 0 (no room, or the end of the
// file) gets EIO so that callers can always report errno.
bool movedNothing(ssize_t n) {
    if (n == 0) errno = EIO;
    return false;
}

}  // namespace

bool FileBytes::writeAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return movedNothing(n);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FileBytes::writeAt(int fd, const std::string& data, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return movedNothing(n);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FileBytes::readAt(int fd, std::uint64_t offset, std::size_t size, std::string& out) {
    out.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return movedNothing(n);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace zuva::recording

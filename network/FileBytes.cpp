#include "network/FileBytes.h"

#include <unistd.h>

#include <cerrno>

namespace zuva::network {

bool FileBytes::writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FileBytes::writeAt(int fd, const std::string& data, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
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
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace zuva::network

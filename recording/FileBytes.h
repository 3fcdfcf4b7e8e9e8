#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zuva::recording {

// Whole reads and writes on a file descriptor, retried after EINTR and short
// transfers. Each returns false when the file refuses or ends before all bytes moved;
// errno then tells why (EIO when the system moved nothing and said nothing).
class FileBytes {
public:
    static bool writeAll(int fd, std::string_view data);
    static bool writeAt(int fd, const std::string& data, std::uint64_t offset);
    // Reads exactly `size` bytes from `offset` into `out`.
    static bool readAt(int fd, std::uint64_t offset, std::size_t size, std::string& out);
};

}  // namespace zuva::recording

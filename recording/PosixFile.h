#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zuva::recording {

// A file descriptor owned for the length of one operation. Every call checks its
// result and throws IoError with errno; the destructor closes without throwing
// (call close() to have a failing close reported).
class PosixFile {
public:
    PosixFile() = default;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    ~PosixFile();

    // open(2) with the given flags (O_CLOEXEC is added); throws IoError on failure.
    static PosixFile open(const std::string& path, int flags, unsigned mode = 0644);
    // Like open(), but returns a closed file and sets errorCode instead of throwing.
    static PosixFile tryOpen(const std::string& path, int flags, unsigned mode, int& errorCode);

    bool isOpen() const noexcept { return fd_ >= 0; }
    int descriptor() const noexcept { return fd_; }

    // Writes every byte, retrying short writes and EINTR.
    void writeAll(std::span<const std::uint8_t> bytes);
    void writeAll(const char* data, std::size_t size);
    // Reads up to buffer.size() bytes; returns 0 only at the end of the file.
    std::size_t readSome(std::span<std::uint8_t> buffer);
    // Reads until the buffer is full or the file ends; returns the bytes read.
    std::size_t readFull(std::span<std::uint8_t> buffer);
    std::uint64_t size() const;
    void seek(std::uint64_t offset);
    void truncate(std::uint64_t length);
    void close();

private:
    explicit PosixFile(int fd) noexcept : fd_(fd) {}
    int fd_ = -1;
};

// True when a directory entry of that name exists (any kind of file).
bool pathExists(const std::string& path);

}  // namespace zuva::recording

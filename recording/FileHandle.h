#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "recording/FileSystem.h"

namespace zuva::recording {

// A file opened through a FileSystem for the length of one operation. Every call
// checks its result and throws IoError with the system's error number; the
// destructor closes without throwing (call close() to have a failing close reported).
class FileHandle {
public:
    explicit FileHandle(FileSystem& fileSystem) : fileSystem_(&fileSystem) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    ~FileHandle();

    // Opens path; returns 0 or the system's error number (the handle stays closed).
    int tryOpen(const std::string& path, int flags, unsigned mode);
    bool isOpen() const noexcept { return fd_ >= 0; }
    // Names a file opened with O_TMPFILE; returns 0 or the system's error number
    // (EEXIST when the name is taken).
    int tryLink(const std::string& path);

    // Writes every byte, going on after short writes; a write that takes nothing is EIO.
    void writeAll(const void* data, std::size_t size);
    void syncData();
    std::uint64_t size();
    void truncate(std::uint64_t length);
    void close();

private:
    FileSystem* fileSystem_;
    int fd_ = -1;
};

}  // namespace zuva::recording

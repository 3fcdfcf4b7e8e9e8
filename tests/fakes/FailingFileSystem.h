#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "recording/FileSystem.h"
#include "recording/PosixFileSystem.h"

namespace zuva::fakes {

// The real file system with failures put in on purpose: the next N calls of a kind
// fail with a chosen errno (ENOSPC, EIO, ...) without reaching the disk, and a
// write can be cut short as on a disk that fills up in the middle of a record.
// Every call is counted.
class FailingFileSystem final : public recording::FileSystem {
public:
    enum class Call { Open, Write, Sync, DirectorySync };

    // The next `count` calls of that kind fail with `error`.
    void failNext(Call call, int count, int error);
    // Every failure still to come is forgotten: the file system works again.
    void heal();
    // The next write takes only `bytes` bytes of what it is given.
    void cutNextWrite(std::size_t bytes) { cut_ = bytes; }

    int calls(Call call) const { return calls_[index(call)]; }

    int openFile(const std::string& path, int flags, unsigned mode, int& fd) override;
    int writeSome(int fd, const void* data, std::size_t size, std::size_t& written) override;
    int syncData(int fd) override;
    int fileSize(int fd, std::uint64_t& size) override { return real_.fileSize(fd, size); }
    int truncateFile(int fd, std::uint64_t length) override { return real_.truncateFile(fd, length); }
    int closeFile(int fd) override { return real_.closeFile(fd); }
    int removeFile(const std::string& path) override { return real_.removeFile(path); }
    int linkOpenFile(int fd, const std::string& path) override { return real_.linkOpenFile(fd, path); }
    bool exists(const std::string& path) override { return real_.exists(path); }
    int syncDirectory(const std::string& path) override;

private:
    static constexpr std::size_t kCalls = 4;
    static std::size_t index(Call call) { return static_cast<std::size_t>(call); }
    // Counts the call; returns the errno it is to fail with, or 0.
    int failure(Call call);

    recording::PosixFileSystem real_;
    std::array<int, kCalls> calls_{};
    std::array<int, kCalls> failuresLeft_{};
    std::array<int, kCalls> errors_{};
    std::optional<std::size_t> cut_;
};

}  // namespace zuva::fakes

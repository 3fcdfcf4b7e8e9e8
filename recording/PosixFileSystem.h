#pragma once

#include "recording/FileSystem.h"

namespace zuva::recording {

// FileSystem over the POSIX calls.
class PosixFileSystem final : public FileSystem {
public:
    // The one instance the program uses.
    static PosixFileSystem& instance();

    int openFile(const std::string& path, int flags, unsigned mode, int& fd) override;
    int writeSome(int fd, const void* data, std::size_t size, std::size_t& written) override;
    int syncData(int fd) override;
    int fileSize(int fd, std::uint64_t& size) override;
    int truncateFile(int fd, std::uint64_t length) override;
    int closeFile(int fd) override;
    int removeFile(const std::string& path) override;
    int linkOpenFile(int fd, const std::string& path) override;
    bool exists(const std::string& path) override;
    int syncDirectory(const std::string& path) override;
};

}  // namespace zuva::recording

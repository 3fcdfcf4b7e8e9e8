#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zuva::recording {

// The file operations the data file writer needs, as thin calls that report the
// system's error number instead of throwing: 0 (or a result >= 0) on success, the
// errno otherwise. The program uses PosixFileSystem; tests put a layer in between
// that fails on purpose. None of them creates a directory.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // open(2) with O_CLOEXEC added; sets fd on success.
    virtual int openFile(const std::string& path, int flags, unsigned mode, int& fd) = 0;
    // One write(2) (EINTR retried); sets written to the bytes taken, which may be
    // fewer than size.
    virtual int writeSome(int fd, const void* data, std::size_t size, std::size_t& written) = 0;
    // fdatasync(2): the file's data reaches the disk.
    virtual int syncData(int fd) = 0;
    virtual int fileSize(int fd, std::uint64_t& size) = 0;
    virtual int truncateFile(int fd, std::uint64_t length) = 0;
    virtual int closeFile(int fd) = 0;
    virtual int removeFile(const std::string& path) = 0;
    // Whether a file or directory of that name is there.
    virtual bool exists(const std::string& path) = 0;
    // Gives a file opened with O_TMPFILE (it has no name yet) the name path;
    // EEXIST when the name is taken.
    virtual int linkOpenFile(int fd, const std::string& path) = 0;
    // fsync(2) of a directory, so that a file created in it survives a power cut.
    virtual int syncDirectory(const std::string& path) = 0;
};

}  // namespace zuva::recording

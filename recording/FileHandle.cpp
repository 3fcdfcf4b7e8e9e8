#include "recording/FileHandle.h"

#include <cerrno>

#include "recording/IoError.h"

namespace zuva::recording {

namespace {

void check(int error) {
    if (error != 0) throw IoError(error);
}

}  // namespace

FileHandle::FileHandle(FileHandle&& other) noexcept : fileSystem_(other.fileSystem_), fd_(other.fd_) { other.fd_ = -1; }

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) fileSystem_->closeFile(fd_);
        fileSystem_ = other.fileSystem_;
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileHandle::~FileHandle() {
    if (fd_ >= 0) fileSystem_->closeFile(fd_);
}

int FileHandle::tryOpen(const std::string& path, int flags, unsigned mode) {
    if (fd_ >= 0) {
        fileSystem_->closeFile(fd_);
        fd_ = -1;
    }
    return fileSystem_->openFile(path, flags, mode, fd_);
}

int FileHandle::tryLink(const std::string& path) { return fd_ < 0 ? EBADF : fileSystem_->linkOpenFile(fd_, path); }

void FileHandle::writeAll(const void* data, std::size_t size) {
    if (fd_ < 0) throw IoError(EBADF);
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        std::size_t written = 0;
        check(fileSystem_->writeSome(fd_, bytes, size, written));
        if (written == 0) throw IoError(EIO);
        bytes += written;
        size -= written;
    }
}

void FileHandle::syncData() {
    if (fd_ < 0) throw IoError(EBADF);
    check(fileSystem_->syncData(fd_));
}

std::uint64_t FileHandle::size() {
    if (fd_ < 0) throw IoError(EBADF);
    std::uint64_t bytes = 0;
    check(fileSystem_->fileSize(fd_, bytes));
    return bytes;
}

void FileHandle::truncate(std::uint64_t length) {
    if (fd_ < 0) throw IoError(EBADF);
    check(fileSystem_->truncateFile(fd_, length));
}

void FileHandle::close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    check(fileSystem_->closeFile(fd));
}

}  // namespace zuva::recording

#include "fakes/FailingFileSystem.h"

#include <algorithm>

namespace zuva::fakes {

void FailingFileSystem::failNext(Call call, int count, int error) {
    failuresLeft_[index(call)] = count;
    errors_[index(call)] = error;
}

void FailingFileSystem::heal() {
    failuresLeft_.fill(0);
    cut_.reset();
}

int FailingFileSystem::failure(Call call) {
    const std::size_t i = index(call);
    ++calls_[i];
    if (failuresLeft_[i] == 0) return 0;
    --failuresLeft_[i];
    return errors_[i];
}

int FailingFileSystem::openFile(const std::string& path, int flags, unsigned mode, int& fd) {
    fd = -1;
    if (const int error = failure(Call::Open)) return error;
    return real_.openFile(path, flags, mode, fd);
}

int FailingFileSystem::writeSome(int fd, const void* data, std::size_t size, std::size_t& written) {
    written = 0;
    if (cut_) {
        ++calls_[index(Call::Write)];
        const std::size_t take = std::min(size, *cut_);
        cut_.reset();
        return real_.writeSome(fd, data, take, written);
    }
    if (const int error = failure(Call::Write)) return error;
    return real_.writeSome(fd, data, size, written);
}

int FailingFileSystem::syncData(int fd) {
    if (const int error = failure(Call::Sync)) return error;
    return real_.syncData(fd);
}

int FailingFileSystem::syncDirectory(const std::string& path) {
    if (const int error = failure(Call::DirectorySync)) return error;
    return real_.syncDirectory(path);
}

}  // namespace zuva::fakes

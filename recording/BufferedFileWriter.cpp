#include "recording/BufferedFileWriter.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>

namespace zuva::recording {

BufferedFileWriter::BufferedFileWriter(const std::string& name, std::size_t capacity)
    : file_(PosixFile::open(name, O_WRONLY | O_CREAT | O_TRUNC)), buffer_(std::max<std::size_t>(capacity, 256)) {}

void BufferedFileWriter::append(const char* data, std::size_t size) {
    while (size > 0) {
        if (used_ == capacity()) flush();
        const std::size_t n = std::min(size, capacity() - used_);
        std::memcpy(buffer_.data() + used_, data, n);
        used_ += n;
        data += n;
        size -= n;
    }
}

void BufferedFileWriter::flush() {
    if (used_ == 0) return;
    const std::size_t n = used_;
    used_ = 0;  // a failed write is not tried again with the same bytes
    file_.writeAll(buffer_.data(), n);
}

void BufferedFileWriter::close() {
    flush();
    file_.close();
}

}  // namespace zuva::recording

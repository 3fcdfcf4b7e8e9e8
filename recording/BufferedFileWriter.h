#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "recording/PosixFile.h"

namespace zuva::recording {

// Output to a file through a large buffer, written with write(2) when full, at
// flush() and at close(). Errors throw IoError.
class BufferedFileWriter {
public:
    // Creates the file, replacing one of that name.
    explicit BufferedFileWriter(const std::string& name, std::size_t capacity = 1u << 20);
    BufferedFileWriter(const BufferedFileWriter&) = delete;
    BufferedFileWriter& operator=(const BufferedFileWriter&) = delete;

    // Room for at least `bytes` characters (bytes <= capacity); fill it, then commit
    // the end of what was written.
    char* reserve(std::size_t bytes) {
        if (capacity() - used_ < bytes) flush();
        return buffer_.data() + used_;
    }
    void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }
    void append(const char* data, std::size_t size);

    void flush();
    void close();  // flushes and closes; throws when either fails

private:
    std::size_t capacity() const { return buffer_.size(); }

    PosixFile file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace zuva::recording

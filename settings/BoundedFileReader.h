#pragma once

#include <cstddef>
#include <string>

namespace zuva::settings {

// Reads a whole file into memory, refusing files above a size limit.
class BoundedFileReader {
public:
    enum class Status { Read, Missing, TooLarge, Failed };

    struct Result {
        Status status = Status::Failed;
        std::string content;  // the file's bytes when Read
        int error = 0;        // errno when Failed
    };

    // Missing when the file does not exist (ENOENT); Failed for any other error,
    // including a path that names a directory or runs through a regular file.
    static Result read(const std::string& path, std::size_t maxBytes);
};

}  // namespace zuva::settings

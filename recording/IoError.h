#pragma once

#include <stdexcept>
#include <string>

namespace zuva::recording {

// A failed file operation: "I/O error %d" with the system's error number (errno).
class IoError : public std::runtime_error {
public:
    explicit IoError(int code) : std::runtime_error("I/O error " + std::to_string(code)), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

}  // namespace zuva::recording

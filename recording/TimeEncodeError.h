#pragma once

#include <cstdint>
#include <stdexcept>

namespace zuva::recording {

// A record whose time bytes are no time of day (hour above 23, minute or second
// above 59): "Invalid argument to time encode". offset is the record's byte offset.
class TimeEncodeError : public std::runtime_error {
public:
    explicit TimeEncodeError(std::uint64_t offset)
        : std::runtime_error("Invalid argument to time encode"), offset_(offset) {}
    std::uint64_t offset() const noexcept { return offset_; }

private:
    std::uint64_t offset_;
};

}  // namespace zuva::recording

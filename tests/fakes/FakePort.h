#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "acquisition/PortIo.h"
#include "fakes/CallJournal.h"

namespace zuva::fakes {

// An in-memory port: tests queue the bytes the instrument sends (queue) and read
// back every byte written (sent). maxPerRead makes reads return fewer bytes than
// asked; failReads / failWrites make the next calls throw as the serial component does.
class FakePort final : public acquisition::PortIo {
public:
    std::size_t ReadBytes(std::span<std::uint8_t> into) override;
    void WriteByte(std::uint8_t byte) override;

    // Bytes already read are dropped here, so that a long stream does not pile up.
    void queue(std::span<const std::uint8_t> bytes) {
        incoming.erase(incoming.begin(), incoming.begin() + static_cast<std::ptrdiff_t>(readPos));
        consumed += readPos;
        readPos = 0;
        incoming.insert(incoming.end(), bytes.begin(), bytes.end());
    }
    std::size_t waiting() const { return incoming.size() - readPos; }
    // A full input queue dropped `count` bytes after the first `position` bytes
    // queued from now on: reads stop there until the loss has been taken.
    void lossAfter(std::size_t position, std::uint64_t count) {
        losses.push_back({consumed + readPos + position, count});
    }
    std::uint64_t takeDroppedBytes() override;

    std::vector<std::uint8_t> incoming;
    std::size_t readPos = 0;
    std::size_t consumed = 0;  // bytes read and erased from incoming
    struct Loss {
        std::size_t at;  // bytes read, counted from the first ever queued, when it happened
        std::uint64_t count;
    };
    std::vector<Loss> losses;
    std::vector<std::uint8_t> sent;
    std::size_t maxPerRead = 0;  // 0: no limit
    std::size_t largestRequest = 0;
    int reads = 0;
    int failReads = 0;
    int failWrites = 0;
    CallJournal* journal = nullptr;
};

}  // namespace zuva::fakes

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zuva::acquisition {

// The serial line to the instrument as the acquisition sees it. The serial-port
// component is adapted to this; tests use an in-memory port.
class PortIo {
public:
    virtual ~PortIo() = default;
    // Copies up to into.size() bytes that are already waiting into `into` and
    // returns at once with the number copied (0 when none is waiting). Failures are
    // thrown (std::exception).
    virtual std::size_t ReadBytes(std::span<std::uint8_t> into) = 0;
    // Sends one byte and returns when it has gone out. Failures are thrown.
    virtual void WriteByte(std::uint8_t byte) = 0;
    // Bytes the port's input queue had to drop, because it was full, since the last
    // call. ReadBytes stops at the place of such a loss, so the bytes read before
    // this call returns a count do not join the bytes read after it.
    virtual std::uint64_t takeDroppedBytes() { return 0; }
};

}  // namespace zuva::acquisition

#include "fakes/FakePort.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace zuva::fakes {

std::size_t FakePort::ReadBytes(std::span<std::uint8_t> into) {
    ++reads;
    largestRequest = std::max(largestRequest, into.size());
    if (failReads > 0) {
        --failReads;
        throw std::runtime_error("ReadFile function failed (win error code: 5)");
    }
    std::size_t n = std::min(into.size(), waiting());
    if (maxPerRead > 0) n = std::min(n, maxPerRead);
    if (!losses.empty()) n = std::min(n, losses.front().at - (consumed + readPos));
    std::copy_n(incoming.begin() + static_cast<std::ptrdiff_t>(readPos), n, into.begin());
    readPos += n;
    return n;
}

std::uint64_t FakePort::takeDroppedBytes() {
    if (losses.empty() || losses.front().at != consumed + readPos) return 0;
    const std::uint64_t count = losses.front().count;
    losses.erase(losses.begin());
    return count;
}

void FakePort::WriteByte(std::uint8_t byte) {
    if (failWrites > 0) {
        --failWrites;
        throw std::runtime_error("WriteFile function failed (win error code: 6)");
    }
    sent.push_back(byte);
    if (journal) {
        char text[16];
        std::snprintf(text, sizeof text, "send %02X", byte);
        journal->add(text);
    }
}

}  // namespace zuva::fakes

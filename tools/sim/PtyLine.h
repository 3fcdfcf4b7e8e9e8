#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tools/sim/Instrument.h"

namespace zuva::sim {

// The instrument's end of the line: the master side of a pseudo-terminal, written
// without ever blocking. Frames wait in a bounded queue while the reader is slow;
// a frame that does not fit is dropped, as on a line nobody keeps up with. While
// no one holds the slave open, frames are dropped and the queue emptied.
class PtyLine {
public:
    using SentHook = std::function<void(const FrameBytes&)>;

    // Opens the pseudo-terminal with a raw line. Throws std::system_error.
    // preferredSlave: when set, the line is put back on that pseudo-terminal if it is
    // free (as a USB adapter plugged in again is the same device); otherwise any.
    explicit PtyLine(std::size_t queueLimitBytes, const std::string& preferredSlave = {});
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // Someone holds the slave side open.
    bool hasReader() const;
    // Reads the control bytes waiting (none without a reader).
    std::vector<std::uint8_t> readControl();
    void enqueue(FrameBytes frame);
    // Writes as much of the queue as the pty takes; sent is called for each frame written whole.
    void flush(const SentHook& sent);
    bool pending() const { return !queue_.empty(); }

    std::uint64_t dropped() const { return dropped_; }
    std::uint64_t sent() const { return sent_; }

private:
    int master_ = -1;
    std::string slavePath_;
    std::size_t limit_;
    std::deque<FrameBytes> queue_;
    std::size_t queuedBytes_ = 0;
    std::size_t frontOffset_ = 0;  // bytes of the front frame already written
    std::uint64_t dropped_ = 0;
    std::uint64_t sent_ = 0;
};

}  // namespace zuva::sim

#include "tools/sim/PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

namespace zuva::sim {

PtyLine::PtyLine(std::size_t queueLimitBytes, const std::string& preferredSlave) : limit_(queueLimitBytes) {
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B115200);
    // The system hands out the lowest free pseudo-terminal: to get the preferred one
    // back, the lower ones are held open until it comes (a bounded number of tries).
    std::vector<std::pair<int, std::string>> opened;
    std::size_t chosen = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        int master = -1;
        int slave = -1;
        char name[256];
        // A raw slave from the start: no echo of the PC's bytes back to the unit.
        if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
            if (!opened.empty()) break;
            throw std::system_error(errno, std::generic_category(), "openpty");
        }
        // The logger opens the slave itself; while nobody holds it the master sees a hang-up.
        ::close(slave);
        opened.emplace_back(master, name);
        if (preferredSlave.empty() || preferredSlave == name) {
            chosen = opened.size() - 1;
            break;
        }
    }
    for (std::size_t i = 0; i < opened.size(); ++i) {
        if (i != chosen) ::close(opened[i].first);
    }
    master_ = opened[chosen].first;
    slavePath_ = opened[chosen].second;
    if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0 ||
        fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
        const int error = errno;
        ::close(master_);
        throw std::system_error(error, std::generic_category(), "fcntl");
    }
}

PtyLine::~PtyLine() {
    if (master_ >= 0) ::close(master_);
}

bool PtyLine::hasReader() const {
    pollfd p{master_, 0, 0};
    return poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP) == 0;
}

std::vector<std::uint8_t> PtyLine::readControl() {
    std::vector<std::uint8_t> bytes;
    // Also after the other end has closed: what it wrote just before (the stop
    // byte of a shut-down) is still there to be read.
    std::uint8_t buffer[256];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;  // EAGAIN: nothing more; EIO: the reader has just gone
    }
    return bytes;
}

void PtyLine::enqueue(FrameBytes frame) {
    if (!hasReader() || queuedBytes_ + frame.size() > limit_) {
        ++dropped_;
        return;
    }
    queuedBytes_ += frame.size();
    queue_.push_back(std::move(frame));
}

void PtyLine::flush(const SentHook& sent) {
    if (!hasReader()) {
        // The reader closed the line: what it did not take is lost with it.
        dropped_ += queue_.size();
        queue_.clear();
        queuedBytes_ = 0;
        frontOffset_ = 0;
        return;
    }
    while (!queue_.empty()) {
        FrameBytes& front = queue_.front();
        const ssize_t n = ::write(master_, front.data() + frontOffset_, front.size() - frontOffset_);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;  // full (EAGAIN) or the reader is going: try again later
        }
        frontOffset_ += static_cast<std::size_t>(n);
        if (frontOffset_ < front.size()) return;
        if (sent) sent(front);
        ++sent_;
        queuedBytes_ -= front.size();
        frontOffset_ = 0;
        queue_.pop_front();
    }
}

}  // namespace zuva::sim

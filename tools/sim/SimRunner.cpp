#include "tools/sim/SimRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <exception>
#include <memory>

#include "tools/sim/Instrument.h"
#include "tools/sim/Journal.h"
#include "tools/sim/PortRegistration.h"
#include "tools/sim/PtyLine.h"

namespace zuva::sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kQueueLimit = 2 * 256 * acquisition::kDataFrameSize;  // two seconds of frames
constexpr std::int64_t kMostSlicesAtOnce = 10 * 256;                         // catching up after a stall

struct Start {
    acquisition::FrameDateTime time;
    std::int64_t firstSlice;  // slice within the first second (from the PC's milliseconds)
};

Start startTime(const SimOptions& options) {
    if (options.start) return {*options.start, 0};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    acquisition::FrameDateTime t{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                 local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
    if (t.year < 2000 || t.year > 2099) t.year = 2000 + (t.year % 100);
    return {t, static_cast<std::int64_t>(now.tv_nsec) * 256 / 1000000000};
}

}  // namespace

int runSimulator(const SimOptions& options, std::FILE* out, std::FILE* err, volatile std::sig_atomic_t& stop) {
    try {
        std::unique_ptr<Journal> journal;
        if (!options.journal.empty()) journal = std::make_unique<Journal>(options.journal);
        auto line = std::make_unique<PtyLine>(kQueueLimit);
        auto registration = std::make_unique<PortRegistration>(options.portsDir, options.name, line->slavePath());
        std::fprintf(out, "%s\n", registration->linkPath().c_str());
        std::fflush(out);
        // The line pulled out and put back (--unplug-at, --unplug-for).
        const bool unplugs = options.unplugFor > 0;
        bool pulled = false;
        bool putBack = false;
        std::string lastSlave;
        int reserved = -1;  // a slave handle that keeps the unplugged line's number
        std::uint64_t sentBefore = 0;     // frames of lines pulled out already
        std::uint64_t droppedBefore = 0;
        std::uint64_t lostUnplugged = 0;  // frames the unit made while no line was there

        const Start start = startTime(options);
        Instrument unit(options, start.time);
        const auto origin = Clock::now();
        const double slicesPerSecond = 256.0 * options.rateMultiplier;
        const auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - origin).count(); };
        const auto sliceAt = [&](double seconds) {
            return start.firstSlice + static_cast<std::int64_t>(std::floor(seconds * slicesPerSecond));
        };
        const auto sent = [&](const FrameBytes& frame) {
            if (journal) journal->record(elapsed(), "tx", frame);
        };

        sigset_t unblocked;
        sigemptyset(&unblocked);
        std::int64_t next = start.firstSlice;
        std::vector<FrameBytes> frames;
        // Frames held back until a burst is complete (--burst).
        std::vector<FrameBytes> burst;
        const auto burstSize = static_cast<std::size_t>(std::max(1, options.burst));
        while (!stop) {
            const double now = elapsed();
            if (options.seconds > 0 && now >= options.seconds) break;
            if (unplugs && !pulled && now >= options.unplugAt) {
                // Unplugged: the name goes first, then the master closes (the PC sees a hang-up).
                pulled = true;
                sentBefore += line->sent();
                droppedBefore += line->dropped();
                lastSlave = line->slavePath();
                // The pseudo-terminal's number stays taken while a slave handle is
                // open, so that no other program gets it before the line comes back.
                reserved = ::open(lastSlave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
                registration.reset();
                line.reset();
                if (journal) journal->event(now, "unplug");
            }
            if (pulled && !putBack && now >= options.unplugAt + options.unplugFor) {
                putBack = true;
                // Back on the same pseudo-terminal where it is free, as a USB adapter
                // plugged in again is the same device.
                if (reserved >= 0) ::close(reserved);
                reserved = -1;
                line = std::make_unique<PtyLine>(kQueueLimit, lastSlave);
                registration = std::make_unique<PortRegistration>(options.portsDir, options.name, line->slavePath());
                if (journal) journal->event(now, "replug");
            }
            const std::int64_t due = sliceAt(now);
            if (line) {
                for (const std::uint8_t byte : line->readControl()) {
                    if (journal) journal->record(now, "rx", {byte});
                    unit.onControlByte(byte, due, frames);
                }
            }
            if (unit.streaming()) {
                next = std::max(next, due - kMostSlicesAtOnce + 1);
                for (; next <= due; ++next) unit.onSlice(next, frames);
            } else {
                next = due + 1;
            }
            if (line) {
                for (auto& frame : frames) burst.push_back(std::move(frame));
                const std::size_t dataFrames = static_cast<std::size_t>(
                    std::count_if(burst.begin(), burst.end(), [](const FrameBytes& f) { return f.size() > 3; }));
                if (dataFrames >= burstSize || !unit.streaming()) {
                    for (auto& frame : burst) line->enqueue(std::move(frame));
                    burst.clear();
                }
                line->flush(sent);
            } else {
                lostUnplugged += frames.size() + burst.size();
                burst.clear();
            }
            frames.clear();

            // Sleep until the next slice is due, input arrives, or the pty takes more.
            double wait = 0.05;
            if (unit.streaming()) {
                const double nextAt = static_cast<double>(next - start.firstSlice) / slicesPerSecond;
                wait = std::clamp(nextAt - elapsed(), 0.0, 0.05);
            }
            if (options.seconds > 0) wait = std::clamp(options.seconds - elapsed(), 0.0, wait);
            if (unplugs && !putBack) {
                const double change = pulled ? options.unplugAt + options.unplugFor : options.unplugAt;
                wait = std::clamp(change - elapsed(), 0.0, wait);
            }
            const bool reader = line && line->hasReader();
            pollfd p{reader ? line->masterFd() : -1, static_cast<short>(POLLIN | (reader && line->pending() ? POLLOUT : 0)), 0};
            const auto ns = static_cast<long>(wait * 1e9);
            const timespec timeout{ns / 1000000000L, ns % 1000000000L};
            // Without a reader the master only reports its hang-up: just sleep then.
            ppoll(reader ? &p : nullptr, reader ? 1 : 0, &timeout, &unblocked);
        }
        if (reserved >= 0) ::close(reserved);
        if (journal) journal->flush();
        const std::uint64_t sentTotal = sentBefore + (line ? line->sent() : 0);
        const std::uint64_t droppedTotal = droppedBefore + (line ? line->dropped() : 0) + lostUnplugged;
        std::fprintf(err, "zuva-sim: %llu frames sent, %llu dropped\n", static_cast<unsigned long long>(sentTotal),
                     static_cast<unsigned long long>(droppedTotal));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(err, "zuva-sim: %s\n", e.what());
        return 1;
    }
}

}  // namespace zuva::sim

// zuva-sim: the VEK-Unit on a pseudo-terminal, registered as a virtual serial port.
#include <signal.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/sim/DayFileRecorder.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimRunner.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) { stopRequested = 1; }
}  // namespace

int main(int argc, char** argv) {
    zuva::sim::SimOptions options;
    try {
        options = zuva::sim::parseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "zuva-sim: %s\n%s", e.what(), zuva::sim::simUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(zuva::sim::simUsage(), stdout);
        return 0;
    }
    if (!options.writeFiles.empty()) {
        try {
            zuva::sim::DayFileRequest request;
            request.directory = options.writeFiles;
            request.from = *options.from;
            request.seconds = static_cast<std::int64_t>(options.days) * 86400;
            request.rateIndex = options.rateIndex;
            request.sensitivity = options.sensitivity;
            for (const std::string& file : zuva::sim::DayFileRecorder::record(request, options).files) {
                std::printf("%s\n", file.c_str());
            }
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zuva-sim: %s\n", e.what());
            return 1;
        }
    }
    // The signals end the run only where the main loop waits (ppoll unblocks them),
    // so the port link is always removed on the way out.
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGHUP);
    sigprocmask(SIG_BLOCK, &blocked, nullptr);
    return zuva::sim::runSimulator(options, stdout, stderr, stopRequested);
}

#pragma once

// zuva-logger --headless recording for a while from a simulated instrument: the
// settings (gain 0, the given rate index, automatic start, data into dir/data) are
// written to dir/zuva.ini, the logger runs in dir with its output in dir/logger.out
// and dir/logger.err, and after `duration` it is stopped with SIGTERM.

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"

namespace zuva::app::testing {

struct HeadlessRun {
    bool ranToTheEnd = false;  // still running when the time was up
    int exitCode = -1;         // after SIGTERM
};

inline HeadlessRun recordHeadlessFor(const std::filesystem::path& dir, const std::vector<std::string>& env,
                                     const std::string& port, int rateIndex, std::chrono::seconds duration) {
    const std::filesystem::path ini = dir / "zuva.ini";
    std::ofstream(ini) << "[Config]\nComPort=" << port << "\nGain=0\nsensitivity=2,393E-5\nSamplingRate=" << rateIndex
                       << "\nStart=Yes\nOutputDirectory=" << (dir / "data").string() << "\n";
    ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--headless", "--config", ini.string()}, dir.string(), env,
                        (dir / "logger.out").string(), (dir / "logger.err").string());
    std::this_thread::sleep_for(duration);
    HeadlessRun run;
    run.ranToTheEnd = logger.running();
    if (!run.ranToTheEnd) return run;
    logger.signal(SIGTERM);
    run.exitCode = logger.wait(std::chrono::seconds(10));
    return run;
}

}  // namespace zuva::app::testing

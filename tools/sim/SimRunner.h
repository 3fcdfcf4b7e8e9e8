#pragma once

#include <csignal>
#include <cstdio>

#include "tools/sim/SimOptions.h"

namespace zuva::sim {

// Runs the simulator: opens the line, registers the port, prints its name as the
// first line of out, then answers control bytes and streams frames paced by the
// real clock (each 1/256 s slice on its own deadline from a fixed origin, so the
// pace never drifts) until the run time is over or stop is set (by a signal).
// With --unplug-at and --unplug-for the line is pulled out once (name unregistered,
// pty closed) and later put back as a new pty under the same name, while the unit
// and its clock run on. Returns the exit status.
int runSimulator(const SimOptions& options, std::FILE* out, std::FILE* err, volatile std::sig_atomic_t& stop);

}  // namespace zuva::sim

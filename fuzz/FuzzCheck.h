#pragma once

#include <string_view>

namespace zuva::fuzz {

// Stops the run with a message when a promise of the code under test is broken, so
// that libFuzzer keeps the input as a crash.
void check(bool ok, std::string_view what);

// A private directory on a memory file system (or the temporary directory) for the
// files the targets write; made once per process.
const char* scratchDirectory();

}  // namespace zuva::fuzz

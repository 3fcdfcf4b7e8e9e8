#pragma once

#include <string_view>

namespace zuva::fuzz {

// Stops the run with a message when a promise of the code under test is broken, so
// that libFuzzer keeps the input as a crash.
void check(bool ok, std::string_view what);

// A private directory for the files the targets write, made once per process under
// $ZUVA_FUZZ_SCRATCH, else on the memory file system /dev/shm, else in /tmp.
const char* scratchDirectory();

}  // namespace zuva::fuzz

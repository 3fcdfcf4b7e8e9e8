#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace zuva::fuzz {

void check(bool ok, std::string_view what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

const char* scratchDirectory() {
    static const std::string dir = [] {
        const char* given = std::getenv("ZUVA_FUZZ_SCRATCH");
        std::string base = given != nullptr && *given != '\0' ? given
                           : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                              : "/tmp";
        std::string pattern = base + "/zuva-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        return pattern;
    }();
    static const bool cleanUp = [] {
        // The directory goes when the process exits through exit(); a run ended by
        // libFuzzer's time limit or a crash may leave it (scripts/fuzz removes its
        // ZUVA_FUZZ_SCRATCH folder afterwards).
        return std::atexit([] {
                   std::error_code ec;
                   std::filesystem::remove_all(dir, ec);
               }) == 0;
    }();
    (void)cleanUp;
    return dir.c_str();
}

}  // namespace zuva::fuzz

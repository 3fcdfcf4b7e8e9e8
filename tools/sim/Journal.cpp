#include "tools/sim/Journal.h"

#include <cerrno>
#include <system_error>

namespace zuva::sim {

Journal::Journal(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
    if (file_ == nullptr) throw std::system_error(errno, std::generic_category(), "cannot create the journal " + path);
}

Journal::~Journal() {
    if (file_ != nullptr) std::fclose(file_);
}

std::string Journal::hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

void Journal::record(double seconds, const char* direction, const std::vector<std::uint8_t>& bytes) {
    if (file_ == nullptr) return;
    std::fprintf(file_, "%.6f %s %s\n", seconds, direction, hex(bytes).c_str());
}

void Journal::event(double seconds, const char* what) {
    if (file_ == nullptr) return;
    std::fprintf(file_, "%.6f %s\n", seconds, what);
}

void Journal::flush() {
    if (file_ != nullptr) std::fflush(file_);
}

}  // namespace zuva::sim

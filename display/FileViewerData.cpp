#include "display/FileViewerData.h"

#include <algorithm>
#include <cmath>

namespace zuva::display {

std::size_t FileViewerData::appendBlock(const double* secondsOfDay, const double* bx, const double* by,
                                        const double* bz, std::size_t n) {
    if (n == 0) return 0;
    if (secondsOfDay == nullptr || bx == nullptr || by == nullptr || bz == nullptr) return n;
    // Converted in slices, so a block of any size needs only a small scratch buffer.
    for (auto& s : scratch_) s.resize(kSlice);
    std::size_t skipped = 0;
    for (std::size_t start = 0; start < n; start += kSlice) {
        const std::size_t stop = std::min(n, start + kSlice);
        std::size_t kept = 0;
        for (std::size_t i = start; i < stop; ++i) {
            const float x = static_cast<float>(bx[i]);
            const float y = static_cast<float>(by[i]);
            const float z = static_cast<float>(bz[i]);
            if (!std::isfinite(secondsOfDay[i]) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
                ++skipped;
                continue;
            }
            timeline_.append(secondsOfDay[i]);
            scratch_[0][kept] = x;
            scratch_[1][kept] = y;
            scratch_[2][kept] = z;
            ++kept;
        }
        for (std::size_t k = 0; k < kComponents; ++k) values_[k].append(scratch_[k].data(), kept);
    }
    return skipped;
}

void FileViewerData::clear() {
    timeline_.clear();
    for (auto& v : values_) v.clear();
    for (auto& s : scratch_) {
        s.clear();
        s.shrink_to_fit();
    }
}

std::size_t FileViewerData::memoryBytes() const {
    std::size_t bytes = timeline_.memoryBytes();
    for (const auto& v : values_) bytes += v.memoryBytes();
    for (const auto& s : scratch_) bytes += s.capacity() * sizeof(float);
    return bytes;
}

}  // namespace zuva::display

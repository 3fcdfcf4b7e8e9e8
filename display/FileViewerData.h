#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "display/MinMaxPyramid.h"
#include "display/SampleTimeline.h"

namespace zuva::display {

// Every sample of a recorded file, compactly: the times as runs (SampleTimeline) and
// Bx, By, Bz as floats with their min/max pyramids, about 14 bytes per sample triple
// against the data file's 12 (+4 per second). The file loader hands it blocks of
// consecutive samples.
class FileViewerData {
public:
    static constexpr std::size_t kComponents = 3;
    static constexpr std::size_t kSlice = 4096;

    // Appends the n samples of one block; a sample whose time or any value is not a
    // finite number (or too large for a float) is skipped. Returns the count skipped.
    std::size_t appendBlock(const double* secondsOfDay, const double* bx, const double* by, const double* bz,
                            std::size_t n);
    void clear();

    std::size_t size() const { return timeline_.size(); }
    const SampleTimeline& timeline() const { return timeline_; }
    const MinMaxPyramid& component(std::size_t k) const { return values_[k]; }
    std::size_t memoryBytes() const;

private:
    SampleTimeline timeline_;
    std::array<MinMaxPyramid, kComponents> values_;
    std::array<std::vector<float>, kComponents> scratch_;
};

}  // namespace zuva::display

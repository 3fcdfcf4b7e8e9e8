#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace zuva::display {

// One field component of a recorded file: every sample as a float, in chunks of
// 65,536 (appending never copies what is stored), plus a pyramid of minimum/maximum
// per block: 16 samples per level-0 block, 8 blocks of a level per block of the next.
// minMax over any index range then costs O(levels x 8 + 32), whatever the range's
// length; the pyramid adds about 0.6 byte per sample to the 4 of the sample itself.
class MinMaxPyramid {
public:
    static constexpr std::size_t kChunkBits = 16;
    static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;
    static constexpr std::size_t kBaseBlock = 16;
    static constexpr std::size_t kFanout = 8;

    struct Range {
        float min;
        float max;
    };

    void append(const float* values, std::size_t n);
    void clear();

    std::size_t size() const { return size_; }
    float value(std::size_t i) const { return chunks_[i >> kChunkBits][i & (kChunkSize - 1)]; }

    // Smallest and largest value of the samples begin..end-1; begin < end <= size().
    Range minMax(std::size_t begin, std::size_t end) const;

    std::size_t memoryBytes() const;
    std::size_t levelCount() const { return levels_.size(); }

private:
    Range scanSamples(std::size_t begin, std::size_t end) const;
    void rebuildFrom(std::size_t firstNewSample);

    std::vector<std::unique_ptr<float[]>> chunks_;
    std::size_t size_ = 0;
    // levels_[k][j] covers samples j*16*8^k .. (j+1)*16*8^k - 1 (the last one may be partial).
    std::vector<std::vector<Range>> levels_;
};

}  // namespace zuva::display

#pragma once

#include <cstddef>
#include <vector>

namespace zuva::display {

// The times of the samples of a recorded file, held as runs of evenly spaced samples
// instead of one time per sample: a run is its first time, its spacing, its first
// sample index and its count. A whole day at 256 Hz without gaps is one run; every
// gap, jump back or change of spacing starts a new one. Times are seconds of the day.
class SampleTimeline {
public:
    // A sample continues a run when its time is within this of the run's next time.
    static constexpr double kTolerance = 1e-6;

    struct Run {
        double start = 0.0;  // time of the run's first sample
        double step = 0.0;   // 0 while the run has one sample
        std::size_t first = 0;
        std::size_t count = 0;

        double timeAt(std::size_t offset) const { return start + static_cast<double>(offset) * step; }
        double last() const { return timeAt(count - 1); }
    };

    void append(double seconds);
    void clear();

    std::size_t size() const { return size_; }
    const std::vector<Run>& runs() const { return runs_; }
    double timeAt(std::size_t index) const;

    // The offsets within `run` of its samples with from <= time < to, as [begin, end).
    static void offsetsWithin(const Run& run, double from, double to, std::size_t& begin, std::size_t& end);
    // The offset of the run's first sample whose time is not below t (count when none).
    static std::size_t firstOffsetAtOrAfter(const Run& run, double t);

    // Earliest and latest time; false when there are no samples.
    bool span(double& earliest, double& latest) const;

    std::size_t memoryBytes() const { return runs_.capacity() * sizeof(Run); }

private:
    std::vector<Run> runs_;
    std::size_t size_ = 0;
    double earliest_ = 0.0;
    double latest_ = 0.0;
};

}  // namespace zuva::display

#pragma once

#include <cstddef>
#include <vector>

#include "display/MinMaxPyramid.h"
#include "display/SampleTimeline.h"

namespace zuva::display {

// What one component's graph draws for a visible time range: either every sample in
// view (zoomed in: at most kMostSamplesPerColumn samples per pixel column) or, per
// pixel column, the smallest and largest sample in it (min/max envelope). Either way
// the nearest sample before and after the view are added, so the line runs to the edges.
struct Trace {
    std::vector<double> keys;  // seconds of the day, ascending
    std::vector<double> values;
    bool samples = false;
    bool hasValues = false;  // whether any sample lies in view
    double low = 0.0;        // value range of the samples in view
    double high = 0.0;
};

// Splits the samples with from <= time < to into `columns` equal pixel columns once;
// trace() then reads each component's values for them. Sample i lies in column c when
// columnStart(c) <= time(i) < columnStart(c + 1).
//
// Where no sample lies for more than kGapSeconds (a missing second), the trace holds
// an empty (NaN) point between the samples on either side, so no line is drawn across.
class EnvelopeSampler {
public:
    static constexpr std::size_t kMostSamplesPerColumn = 2;
    static constexpr double kGapSeconds = 1.001;
    struct Gap {
        double from;  // the last sample before the gap
        double to;    // the first sample after it
    };
    // The gaps that touch the view (from the sample before it to the one after it).
    const std::vector<Gap>& gaps() const { return gaps_; }

    EnvelopeSampler(const SampleTimeline& timeline, double from, double to, int columns);

    bool showsSamples() const { return showsSamples_; }
    std::size_t visibleSamples() const { return visible_; }
    int columns() const { return columns_; }
    double columnStart(int column) const;

    Trace trace(const MinMaxPyramid& values) const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    struct Piece {
        int column;
        std::size_t begin;  // sample indices
        std::size_t end;
    };
    struct Point {
        double time;
        std::size_t index;
    };

    void addEdges(Trace& trace, const MinMaxPyramid& values, bool before) const;
    void findGaps(const SampleTimeline& timeline);
    void breakAtGaps(Trace& trace) const;

    double from_;
    double to_;
    int columns_;
    std::size_t visible_ = 0;
    bool showsSamples_ = false;
    std::vector<Piece> pieces_;  // envelope: per run and column
    std::vector<Point> points_;  // samples: every sample in view, by time
    std::size_t before_ = kNone;  // nearest sample before the view
    double beforeTime_ = 0.0;
    std::size_t after_ = kNone;  // nearest sample at or after its end
    double afterTime_ = 0.0;
    std::vector<Gap> gaps_;
};

}  // namespace zuva::display

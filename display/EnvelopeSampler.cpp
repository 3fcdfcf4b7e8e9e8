#include "display/EnvelopeSampler.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuva::display {

EnvelopeSampler::EnvelopeSampler(const SampleTimeline& timeline, double from, double to, int columns)
    : from_(from), to_(to), columns_(std::max(columns, 1)) {
    if (!(from < to) || !std::isfinite(from) || !std::isfinite(to)) return;

    struct Visible {
        const SampleTimeline::Run* run;
        std::size_t begin;  // offsets within the run
        std::size_t end;
    };
    std::vector<Visible> visible;
    for (const SampleTimeline::Run& run : timeline.runs()) {
        std::size_t b = 0;
        std::size_t e = 0;
        SampleTimeline::offsetsWithin(run, from, to, b, e);
        if (b > 0) {
            const double t = run.timeAt(b - 1);
            if (before_ == kNone || t > beforeTime_) {
                before_ = run.first + b - 1;
                beforeTime_ = t;
            }
        }
        if (e < run.count) {
            const double t = run.timeAt(e);
            if (after_ == kNone || t < afterTime_) {
                after_ = run.first + e;
                afterTime_ = t;
            }
        }
        if (b < e) {
            visible.push_back({&run, b, e});
            visible_ += e - b;
        }
    }

    findGaps(timeline);
    showsSamples_ = visible_ <= kMostSamplesPerColumn * static_cast<std::size_t>(columns_);
    if (showsSamples_) {
        points_.reserve(visible_);
        for (const Visible& v : visible) {
            for (std::size_t i = v.begin; i < v.end; ++i) points_.push_back({v.run->timeAt(i), v.run->first + i});
        }
        if (visible.size() > 1) {
            std::stable_sort(points_.begin(), points_.end(),
                             [](const Point& a, const Point& b) { return a.time < b.time; });
        }
        return;
    }

    const double width = (to - from) / columns_;
    for (const Visible& v : visible) {
        const SampleTimeline::Run& run = *v.run;
        auto columnOf = [&](double t) {
            const double c = std::floor((t - from) / width);
            return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(columns_ - 1)));
        };
        // The floor estimate may be one off at a column edge; the exact split below
        // uses columnStart, so one extra column on each side settles it.
        const int first = std::max(0, columnOf(run.timeAt(v.begin)) - 1);
        const int last = std::min(columns_ - 1, columnOf(run.timeAt(v.end - 1)) + 1);
        for (int c = first; c <= last; ++c) {
            const std::size_t b = std::max(v.begin, SampleTimeline::firstOffsetAtOrAfter(run, columnStart(c)));
            const std::size_t e = std::min(v.end, SampleTimeline::firstOffsetAtOrAfter(run, columnStart(c + 1)));
            if (b < e) pieces_.push_back({c, run.first + b, run.first + e});
        }
    }
}

void EnvelopeSampler::findGaps(const SampleTimeline& timeline) {
    // Runs sorted by their first time; a gap is where the next run begins more than
    // kGapSeconds after everything before it ended.
    std::vector<std::pair<double, double>> spans;
    spans.reserve(timeline.runs().size());
    for (const SampleTimeline::Run& run : timeline.runs()) {
        if (run.count > 0) spans.emplace_back(run.start, run.last());
    }
    std::sort(spans.begin(), spans.end());
    const double lower = before_ != kNone ? beforeTime_ : from_;
    const double upper = after_ != kNone ? afterTime_ : to_;
    double reached = -std::numeric_limits<double>::infinity();
    for (const auto& [start, last] : spans) {
        if (reached > -std::numeric_limits<double>::infinity() && start - reached > kGapSeconds && start >= lower &&
            reached <= upper) {
            gaps_.push_back({reached, start});
        }
        reached = std::max(reached, last);
    }
}

void EnvelopeSampler::breakAtGaps(Trace& trace) const {
    if (gaps_.empty() || trace.keys.size() < 2) return;
    std::vector<double> keys;
    std::vector<double> values;
    keys.reserve(trace.keys.size() + gaps_.size());
    values.reserve(trace.values.size() + gaps_.size());
    std::size_t g = 0;
    for (std::size_t i = 0; i < trace.keys.size(); ++i) {
        if (i > 0) {
            const double a = trace.keys[i - 1];
            const double b = trace.keys[i];
            // Gaps that end before this stretch are behind us.
            while (g < gaps_.size() && gaps_[g].to <= a) ++g;
            if (g < gaps_.size() && gaps_[g].from < b && gaps_[g].to > a && b > a) {
                keys.push_back(0.5 * (a + b));
                values.push_back(std::numeric_limits<double>::quiet_NaN());
            }
        }
        keys.push_back(trace.keys[i]);
        values.push_back(trace.values[i]);
    }
    trace.keys = std::move(keys);
    trace.values = std::move(values);
}

double EnvelopeSampler::columnStart(int column) const {
    if (column >= columns_) return to_;
    return from_ + (to_ - from_) * static_cast<double>(column) / static_cast<double>(columns_);
}

void EnvelopeSampler::addEdges(Trace& trace, const MinMaxPyramid& values, bool before) const {
    const std::size_t index = before ? before_ : after_;
    if (index == kNone || index >= values.size()) return;
    trace.keys.push_back(before ? beforeTime_ : afterTime_);
    trace.values.push_back(static_cast<double>(values.value(index)));
}

Trace EnvelopeSampler::trace(const MinMaxPyramid& values) const {
    Trace out;
    out.samples = showsSamples_;
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    addEdges(out, values, true);

    if (showsSamples_) {
        out.keys.reserve(points_.size() + 2);
        out.values.reserve(points_.size() + 2);
        for (const Point& p : points_) {
            if (p.index >= values.size()) continue;
            const double v = static_cast<double>(values.value(p.index));
            out.keys.push_back(p.time);
            out.values.push_back(v);
            low = std::min(low, v);
            high = std::max(high, v);
        }
    } else {
        std::vector<MinMaxPyramid::Range> columns(
            static_cast<std::size_t>(columns_),
            {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()});
        std::vector<bool> filled(static_cast<std::size_t>(columns_), false);
        for (const Piece& p : pieces_) {
            if (p.end > values.size()) continue;
            const MinMaxPyramid::Range r = values.minMax(p.begin, p.end);
            auto& column = columns[static_cast<std::size_t>(p.column)];
            column.min = std::min(column.min, r.min);
            column.max = std::max(column.max, r.max);
            filled[static_cast<std::size_t>(p.column)] = true;
        }
        out.keys.reserve(2 * columns.size() + 2);
        out.values.reserve(2 * columns.size() + 2);
        for (int c = 0; c < columns_; ++c) {
            if (!filled[static_cast<std::size_t>(c)]) continue;
            const auto& column = columns[static_cast<std::size_t>(c)];
            // A quarter into the column, not its middle: the middle lands on a pixel's
            // edge, where rounding puts some columns onto their neighbour's pixel and
            // leaves blank pixel columns that look like gaps in the data.
            const double key = columnStart(c) + 0.25 * (columnStart(c + 1) - columnStart(c));
            const double lo = static_cast<double>(column.min);
            const double hi = static_cast<double>(column.max);
            out.keys.push_back(key);
            out.values.push_back(lo);
            if (hi != lo) {
                out.keys.push_back(key);
                out.values.push_back(hi);
            }
            low = std::min(low, lo);
            high = std::max(high, hi);
        }
    }

    addEdges(out, values, false);
    breakAtGaps(out);
    out.hasValues = low <= high;
    if (out.hasValues) {
        out.low = low;
        out.high = high;
    }
    return out;
}

}  // namespace zuva::display

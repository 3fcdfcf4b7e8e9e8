#include "display/LiveEnvelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuva::display {

void LiveEnvelope::workOut(Column& column, const LivePointStore& points, std::size_t begin, std::size_t end) {
    column.begin = points.sequenceOf(begin);
    column.end = points.sequenceOf(end);
    column.drawn.clear();
    const double none = std::numeric_limits<double>::quiet_NaN();
    std::size_t at = begin;
    while (at < end) {
        const std::size_t gap = std::min(points.nextBreak(at), end);
        if (at < gap) {
            const LivePointStore::Range r = points.minMax(at, gap);
            if (r.any()) {
                // Both at the middle of the piece: a vertical stroke over the column.
                const double key = 0.5 * (points.keyAt(at) + points.keyAt(gap - 1));
                column.drawn.emplace_back(key, r.min);
                if (r.max != r.min) column.drawn.emplace_back(key, r.max);
            }
        }
        if (gap < end) column.drawn.emplace_back(points.keyAt(gap), none);
        at = gap + 1;
    }
}

const QVector<QCPGraphData>& LiveEnvelope::build(const LivePointStore& points, double from, double to,
                                                 int columns) {
    out_.clear();
    reused_ = 0;
    workedOut_ = 0;
    const std::size_t n = points.size();
    columns = std::max(columns, 1);
    if (n <= 2 * static_cast<std::size_t>(columns) + 2 || !(to > from)) {
        columns_.clear();
        out_.reserve(static_cast<qsizetype>(n));
        for (std::size_t i = 0; i < n; ++i) out_.append(QCPGraphData(points.keyAt(i), points.valueAt(i)));
        return out_;
    }
    // Never finer than the points' own span allows, so that a grid walk over all the
    // points visits about `columns` columns even if the axis showed only a part.
    const double span = std::max(to - from, points.keyAt(n - 1) - points.keyAt(0));
    const double ideal = span / columns;
    // The grid stays while the pixel columns' width wobbles (a missing second entering
    // or leaving the window changes the span a little); a new grid is a little finer
    // than the pixels so that a slowly growing span keeps it for a while.
    if (!(width_ >= ideal * kLeastGridWidth && width_ <= ideal * kMostGridWidth) ||
        points.generation() != generation_) {
        columns_.clear();
        width_ = ideal * kNewGridWidth;
        generation_ = points.generation();
    }
    walkGrid(points, true);
    return out_;
}

QVector<QCPGraphData> LiveEnvelope::onGrid(const LivePointStore& points, double width) {
    LiveEnvelope envelope;
    envelope.width_ = width;
    envelope.walkGrid(points, false);
    return envelope.out_;
}

void LiveEnvelope::walkGrid(const LivePointStore& points, bool reuse) {
    out_.clear();
    reused_ = 0;
    workedOut_ = 0;
    const std::size_t n = points.size();
    const double width = width_;
    if (n < 2 || !(width > 0.0)) return;
    const auto columns = static_cast<std::size_t>((points.keyAt(n - 1) - points.keyAt(0)) / width) + 1;

    // The first and the last point stand on their own; the columns hold those between.
    const std::size_t last = n - 1;
    const std::uint64_t firstSeq = points.sequenceOf(1);
    const std::uint64_t lastSeq = points.sequenceOf(last);
    const auto firstIndex = static_cast<std::int64_t>(std::floor(points.keyAt(1) / width));
    const auto lastIndex = static_cast<std::int64_t>(std::floor(points.keyAt(last) / width));
    while (!columns_.empty() && columns_.front().index <= firstIndex) columns_.pop_front();

    out_.reserve(static_cast<qsizetype>(2 * columns + 8));
    out_.append(QCPGraphData(points.keyAt(0), points.valueAt(0)));
    std::deque<Column> kept;
    std::size_t begin = 1;
    auto cached = columns_.begin();
    const std::size_t perColumn = n / columns;
    for (std::int64_t index = firstIndex; index <= lastIndex && begin < last; ++index) {
        while (cached != columns_.end() && cached->index < index) ++cached;
        Column column;
        if (reuse && cached != columns_.end() && cached->index == index && cached->begin >= firstSeq &&
            cached->begin == points.sequenceOf(begin)) {
            column = std::move(*cached);
            ++reused_;
        } else {
            // A few columns ahead: the memory is there by the time those columns come.
            points.prefetch(begin + 3 * perColumn);
            const double upper = static_cast<double>(index + 1) * width;
            const std::size_t end = index == lastIndex ? last : std::min(points.lowerBound(upper, begin), last);
            column.index = index;
            workOut(column, points, begin, end);
            ++workedOut_;
        }
        for (const QCPGraphData& point : column.drawn) out_.append(point);
        begin = static_cast<std::size_t>(column.end - points.sequenceOf(0));
        // Kept for the next build when complete: a later point cannot fall into it.
        if (column.end < lastSeq && column.begin >= firstSeq) kept.push_back(std::move(column));
    }
    columns_ = std::move(kept);
    out_.append(QCPGraphData(points.keyAt(last), points.valueAt(last)));
}

}  // namespace zuva::display

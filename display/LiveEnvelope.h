#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include <qcustomplot.h>

#include "display/LivePointStore.h"

namespace zuva::display {

// What a live series' graph draws for the keys from..to on about `columns` pixel
// columns: while the points are few (at most two per column) every point; otherwise,
// per column, the smallest and the largest value in it, with the series' first and
// last point at their own keys so the line reaches both ends. An empty point inside a
// column splits it, so a gap stays a break in the line. The result holds at most
// about 2.2 x columns points whatever the size of the store, in ascending key order.
//
// Columns lie on a fixed grid of keys, kept while the window's width per pixel column
// stays within ten per cent, so from one redraw to the next they stay where they
// were while the window slides;
// a column whose points are all still in the store and that was complete is taken
// from the previous build without reading the store again. Only the new columns at
// the right end and the first one are worked out afresh.
class LiveEnvelope {
public:
    // A grid's width against the pixel columns' when it is made, the least and the
    // most it may be: never wider than a pixel, so that every pixel column gets a stroke of its own
    // (a wider grid would leave a thin pale stripe every so many pixels in dense data).
    static constexpr double kNewGridWidth = 0.9;
    static constexpr double kLeastGridWidth = 0.8;
    static constexpr double kMostGridWidth = 1.0;

    const QVector<QCPGraphData>& build(const LivePointStore& points, double from, double to, int columns);

    // The same picture worked out afresh on a grid of the given width (the width of
    // the latest build: gridWidth()), reading every column from the store.
    static QVector<QCPGraphData> onGrid(const LivePointStore& points, double width);
    double gridWidth() const { return width_; }

    // Columns of the latest build taken from the one before.
    std::size_t columnsReused() const { return reused_; }
    std::size_t columnsWorkedOut() const { return workedOut_; }

private:
    struct Column {
        std::int64_t index = 0;  // place on the grid: keys index*width .. (index+1)*width
        std::uint64_t begin = 0;  // sequence numbers of its points, [begin, end)
        std::uint64_t end = 0;
        std::vector<QCPGraphData> drawn;
    };

    void walkGrid(const LivePointStore& points, bool reuse);
    static void workOut(Column& column, const LivePointStore& points, std::size_t begin, std::size_t end);

    QVector<QCPGraphData> out_;
    std::deque<Column> columns_;  // complete columns of the latest build, by index
    double width_ = 0.0;
    std::uint64_t generation_ = 0;
    std::size_t reused_ = 0;
    std::size_t workedOut_ = 0;
};

}  // namespace zuva::display

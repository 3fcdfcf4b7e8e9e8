#include "display/LiveSeriesGraph.h"

namespace zuva::display {

LiveSeriesGraph::LiveSeriesGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const LivePointStore& points)
    : QCPGraph(keyAxis, valueAxis), points_(points) {}

void LiveSeriesGraph::draw(QCPPainter* painter) {
    QCPAxis* key = keyAxis();
    if (key != nullptr) {
        const QCPRange range = key->range();
        const int columns = key->axisRect()->width();
        const QVector<QCPGraphData>& envelope = envelope_.build(points_, range.lower, range.upper, columns);
        data()->set(envelope, true);
        drawn_ = static_cast<int>(envelope.size());
    }
    QCPGraph::draw(painter);
}

}  // namespace zuva::display

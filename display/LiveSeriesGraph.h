#pragma once

#include <qcustomplot.h>

#include "display/LiveEnvelope.h"
#include "display/LivePointStore.h"

namespace zuva::display {

// The line of one live chart. Its points live in a LivePointStore; at each draw the
// graph takes from it only what the axis rect's pixel columns can show (LiveEnvelope),
// so a redraw costs about the same for 15,360 points as for 921,600.
class LiveSeriesGraph : public QCPGraph {
    Q_OBJECT
public:
    LiveSeriesGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const LivePointStore& points);

    // Points handed to the painter at the latest draw.
    int drawnPoints() const { return drawn_; }
    const LiveEnvelope& envelope() const { return envelope_; }

protected:
    void draw(QCPPainter* painter) override;

private:
    const LivePointStore& points_;
    LiveEnvelope envelope_;
    int drawn_ = 0;
};

}  // namespace zuva::display

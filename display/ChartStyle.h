#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QCPAxis;
class QCPAxisRect;

namespace zuva::display {

// The look shared by the live charts and the file viewer: silver panel, Times New
// Roman 13 px labels (a serif face where it is missing), bold value-axis title,
// time-of-day bottom axis without inner ticks, a value label area of at least 50 px.
class ChartStyle {
public:
    static constexpr int kLabelPixelSize = 13;
    static constexpr int kValueLabelArea = 50;

    static QColor panelColour() { return QColor(192, 192, 192); }
    static QColor lineColour() { return QColor(Qt::red); }
    // The panel while data is missing during a recording.
    static QColor alarmPanelColour() { return QColor(255, 214, 153); }
    static QFont labelFont();
    static QFont titleFont();

    // Time-of-day ticker and label font on the bottom axis.
    static void styleTimeAxis(QCPAxis* axis);
    // Value ticker, label font and bold title on the left axis; minimumStep 0 for none.
    static void styleValueAxis(QCPAxis* axis, const QString& title, double minimumStep);
    // The left margin that leaves the value label area free beside the title.
    static void reserveValueLabelArea(QCPAxisRect* rect);
};

}  // namespace zuva::display

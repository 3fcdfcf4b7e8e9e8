#pragma once

#include <QDate>
#include <QFont>
#include <QString>

#include <qcustomplot.h>

namespace zuva::display {

// Ticks for an axis whose coordinate is time in days: the time of day as a fraction
// of a day, plus whole days after an origin date when one is set (the viewer of
// several days). Steps are whole milliseconds, seconds, minutes, hours or days,
// never finer than 1 ms, and never so dense that two labels would touch: the step
// is the finest whose labels, measured in the axis' label font, fit the axis'
// length with room between them.
//
// The label form follows the step: "hh:mm:ss.zzz" below one second, "hh:mm:ss"
// below a minute, "hh:mm" from a minute on; where the range crosses a midnight
// the date follows in a second line ("yyyy-MM-dd"), and from steps of a day on the
// date alone is shown.
class TimeOfDayTicker : public QCPAxisTicker {
public:
    static constexpr double kMillisecond = 1.0 / 86'400'000.0;
    // Free room between two labels, as a share of a label's width, and at least kMinGap px.
    static constexpr double kGapShare = 0.5;
    static constexpr int kMinGap = 12;

    enum class Form { Milliseconds, Seconds, Minutes, Days };

    // The axis the ticker measures (its length and label font); may be null, then
    // a length of 800 px and the default font are assumed.
    explicit TimeOfDayTicker(QCPAxis* axis = nullptr) : axis_(axis) {}

    // Day 0 of the coordinate is this date; without one, dates are never shown.
    void setOrigin(const QDate& origin) { origin_ = origin; }
    QDate origin() const { return origin_; }

    // The label of one tick in the given form, with the date line when withDate.
    QString label(double tick, Form form, bool withDate) const;
    Form form() const { return form_; }
    bool showsDate() const { return withDate_; }

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

private:
    int axisLength() const;
    QFont font() const;
    int widestLabel(Form form, bool withDate) const;

    QCPAxis* axis_ = nullptr;
    QDate origin_;
    Form form_ = Form::Milliseconds;
    bool withDate_ = false;
};

}  // namespace zuva::display

#include "display/TimeOfDayTicker.h"

#include <QFontMetrics>

#include <array>
#include <cmath>

namespace zuva::display {

namespace {

struct Step {
    double milliseconds;
    int subTicks;
};

constexpr double kDayMs = 86'400'000.0;

// Readable steps of a clock and a calendar, with the sub-ticks that divide them evenly.
constexpr std::array<Step, 33> kSteps{{
    {1, 0},          {2, 1},           {5, 4},           {10, 4},         {20, 3},         {50, 4},
    {100, 4},        {200, 3},         {500, 4},         {1000, 4},       {2000, 3},       {5000, 4},
    {10000, 4},      {15000, 2},       {30000, 5},       {60000, 5},      {120000, 3},     {300000, 4},
    {600000, 4},     {900000, 2},      {1800000, 5},     {3600000, 5},    {7200000, 3},    {10800000, 2},
    {21600000, 5},   {43200000, 5},    {kDayMs, 3},      {2 * kDayMs, 1}, {7 * kDayMs, 6}, {14 * kDayMs, 1},
    {28 * kDayMs, 3}, {91 * kDayMs, 0}, {364 * kDayMs, 3},
}};

TimeOfDayTicker::Form formOf(double stepMs) {
    if (stepMs < 1000.0 - 1e-6) return TimeOfDayTicker::Form::Milliseconds;
    if (stepMs < 60000.0 - 1e-6) return TimeOfDayTicker::Form::Seconds;
    if (stepMs < kDayMs - 1e-3) return TimeOfDayTicker::Form::Minutes;
    return TimeOfDayTicker::Form::Days;
}

}  // namespace

int TimeOfDayTicker::axisLength() const {
    if (axis_ == nullptr || axis_->axisRect() == nullptr) return 800;
    const int length = axis_->orientation() == Qt::Horizontal ? axis_->axisRect()->width() : axis_->axisRect()->height();
    return length > 1 ? length : 800;
}

QFont TimeOfDayTicker::font() const { return axis_ != nullptr ? axis_->tickLabelFont() : QFont(); }

int TimeOfDayTicker::widestLabel(Form form, bool withDate) const {
    // Digits of the widest kind; every label of a form has the same characters.
    const QFontMetrics metrics(font());
    int widest = 0;
    const QString text = label(0.0, form, withDate);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString probe = line;
        for (QChar& c : probe) {
            if (c.isDigit()) c = QLatin1Char('0');
        }
        int w = 0;
        for (QChar c : probe) w += c == QLatin1Char('0') ? 0 : metrics.horizontalAdvance(c);
        int digitWidth = 0;
        for (char d = '0'; d <= '9'; ++d) digitWidth = std::max(digitWidth, metrics.horizontalAdvance(QLatin1Char(d)));
        w += digitWidth * static_cast<int>(probe.count(QLatin1Char('0')));
        widest = std::max(widest, w);
    }
    return widest;
}

double TimeOfDayTicker::getTickStep(const QCPRange& range) {
    const double spanMs = range.size() * kDayMs;
    const double length = axisLength();
    // The date is shown when the range holds a midnight (and a date is known).
    withDate_ = origin_.isValid() && std::floor(range.lower) != std::floor(range.upper);
    if (!(spanMs > 0.0) || !std::isfinite(spanMs)) {
        form_ = Form::Milliseconds;
        return kSteps.front().milliseconds * kMillisecond;
    }
    for (const Step& s : kSteps) {
        const Form f = formOf(s.milliseconds);
        const double width = widestLabel(f, withDate_ && f != Form::Days);
        const double room = std::max(width * (1.0 + kGapShare), width + kMinGap);
        const double pixelsPerStep = s.milliseconds / spanMs * length;
        if (pixelsPerStep >= room) {
            form_ = f;
            return s.milliseconds * kMillisecond;
        }
    }
    // Ranges of years: whole multiples of the longest step.
    const Step& last = kSteps.back();
    form_ = Form::Days;
    const double labelsThatFit = std::max(1.0, length / (widestLabel(Form::Days, false) * (1.0 + kGapShare)));
    const double factor = std::ceil(spanMs / last.milliseconds / labelsThatFit);
    return factor * last.milliseconds * kMillisecond;
}

int TimeOfDayTicker::getSubTickCount(double tickStep) {
    const double ms = tickStep / kMillisecond;
    for (const Step& s : kSteps) {
        if (std::fabs(s.milliseconds - ms) < 1e-6 * s.milliseconds) return s.subTicks;
    }
    return 0;
}

QString TimeOfDayTicker::label(double tick, Form form, bool withDate) const {
    if (!std::isfinite(tick) || std::fabs(tick) > 1e7) return {};
    const double day = std::floor(tick);
    long long ms = std::llround((tick - day) * kDayMs);
    long long dayNumber = static_cast<long long>(day);
    if (ms >= static_cast<long long>(kDayMs)) {
        ms -= static_cast<long long>(kDayMs);
        ++dayNumber;
    }
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    QString dateText;
    if (origin_.isValid()) dateText = origin_.addDays(dayNumber).toString(QStringLiteral("yyyy-MM-dd"));
    QString timeText;
    switch (form) {
        case Form::Milliseconds: timeText = time.toString(QStringLiteral("hh:mm:ss.zzz")); break;
        case Form::Seconds: timeText = time.toString(QStringLiteral("hh:mm:ss")); break;
        case Form::Minutes: timeText = time.toString(QStringLiteral("hh:mm")); break;
        case Form::Days:
            // Without a date the day count is all there is to show.
            return dateText.isEmpty() ? QStringLiteral("day %1").arg(dayNumber) : dateText;
    }
    if (!origin_.isValid() && dayNumber != 0) {
        // A time of day outside the one day the live charts show keeps counting hours.
        const long long total = dayNumber * static_cast<long long>(kDayMs) + ms;
        const long long a = std::llabs(total);
        QString text = QString::asprintf("%s%02lld:%02lld", total < 0 ? "-" : "", a / 3'600'000, a / 60'000 % 60);
        if (form != Form::Minutes) text += QString::asprintf(":%02lld", a / 1000 % 60);
        if (form == Form::Milliseconds) text += QString::asprintf(".%03lld", a % 1000);
        return text;
    }
    return withDate && !dateText.isEmpty() ? timeText + QLatin1Char('\n') + dateText : timeText;
}

QString TimeOfDayTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    return label(tick, form_, withDate_);
}

}  // namespace zuva::display

#pragma once

#include <QPointer>
#include <QString>
#include <array>

#include "acquisition/StatusPanels.h"

class QLabel;
class QStatusBar;

namespace zuva::display {

// The five panels of StatusBar1: "Time", "Bx", "By", "Bz" 100 px wide each (wider
// only when the font would cut a text such as "Bz: -8388608 bit") and "GPS" at least 50 px. The GPS panel takes the rest of the bar, so a long position text
// ("GPS: <longitude> <latitude> <altitude> (<date> <time>)") stays readable instead of
// being cut at 50 px.
//
// While completed seconds wait to be written to the data file, one more panel at the
// right end of the bar shows how many ("Not yet written: 12 s"); it is hidden
// otherwise.
class StatusBarPanels : public acquisition::StatusPanels {
public:
    static constexpr int kPanels = 5;
    static constexpr std::array<int, kPanels> kWidths{100, 100, 100, 100, 50};

    explicit StatusBarPanels(QStatusBar* bar);

    // Texts for an index outside 0..4 are ignored.
    void setPanelText(int panel, const std::string& text) override;
    void setBacklog(std::size_t seconds) override;

    QString panelText(int panel) const;
    QLabel* panel(int index) const;
    // The backlog panel (hidden while nothing waits).
    QLabel* backlogPanel() const { return backlog_; }

    // A warning in the warning colour ("No data since 11:28:34"); empty hides it.
    void setWarning(const QString& text);
    QLabel* warningPanel() const { return warning_; }
    // A notice of a finished action ("Written 12 lines to ..."), its tooltip the
    // full text; empty hides it.
    void setNotice(const QString& text, const QString& toolTip = {});
    QLabel* noticePanel() const { return notice_; }

private:
    std::array<QPointer<QLabel>, kPanels> labels_;
    QPointer<QLabel> backlog_;
    QPointer<QLabel> warning_;
    QPointer<QLabel> notice_;
};

}  // namespace zuva::display

#include "display/StatusBarPanels.h"

#include <QLabel>
#include <QStatusBar>

namespace zuva::display {

StatusBarPanels::StatusBarPanels(QStatusBar* bar) {
    static const char* const kInitial[kPanels] = {"Time", "Bx", "By", "Bz", "GPS"};
    for (int i = 0; i < kPanels; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kInitial[i]), bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(2, 0, 2, 0);
        label->setTextFormat(Qt::PlainText);
        const int width = kWidths[static_cast<std::size_t>(i)];
        if (i == kGps) {
            label->setMinimumWidth(width);
            bar->addWidget(label, 1);
        } else {
            // 100 px, wider only when a text would otherwise be cut ("Bz: -8388608 bit").
            label->setMinimumWidth(width);
            label->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
            bar->addWidget(label, 0);
        }
        labels_[static_cast<std::size_t>(i)] = label;
    }
    backlog_ = new QLabel(bar);
    backlog_->setObjectName(QStringLiteral("BacklogPanel"));
    backlog_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    backlog_->setContentsMargins(2, 0, 2, 0);
    backlog_->setTextFormat(Qt::PlainText);
    bar->addPermanentWidget(backlog_, 0);
    backlog_->hide();
}

void StatusBarPanels::setBacklog(std::size_t seconds) {
    if (backlog_ == nullptr) return;
    if (seconds == 0) {
        backlog_->hide();
        return;
    }
    backlog_->setText(QString::fromStdString(backlogText(seconds)));
    backlog_->show();
}

QLabel* StatusBarPanels::panel(int index) const {
    if (index < 0 || index >= kPanels) return nullptr;
    return labels_[static_cast<std::size_t>(index)];
}

void StatusBarPanels::setPanelText(int index, const std::string& text) {
    if (QLabel* label = panel(index)) label->setText(QString::fromStdString(text));
}

QString StatusBarPanels::panelText(int index) const {
    const QLabel* label = panel(index);
    return label != nullptr ? label->text() : QString();
}

}  // namespace zuva::display

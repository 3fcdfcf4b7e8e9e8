#include "display/StatusBarPanels.h"

#include <QFont>
#include <QLabel>
#include <QPalette>
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

    notice_ = new QLabel(bar);
    notice_->setObjectName(QStringLiteral("NoticePanel"));
    notice_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    notice_->setContentsMargins(2, 0, 2, 0);
    notice_->setTextFormat(Qt::PlainText);
    bar->addPermanentWidget(notice_, 0);
    notice_->hide();

    warning_ = new QLabel(bar);
    warning_->setObjectName(QStringLiteral("WarningPanel"));
    warning_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    warning_->setContentsMargins(4, 0, 4, 0);
    warning_->setTextFormat(Qt::PlainText);
    warning_->setAutoFillBackground(true);
    QPalette palette = warning_->palette();
    palette.setColor(QPalette::Window, QColor(255, 170, 0));
    palette.setColor(QPalette::WindowText, Qt::black);
    warning_->setPalette(palette);
    QFont bold = warning_->font();
    bold.setBold(true);
    warning_->setFont(bold);
    bar->addPermanentWidget(warning_, 0);
    warning_->hide();
}

void StatusBarPanels::setWarning(const QString& text) {
    if (warning_ == nullptr) return;
    warning_->setText(text);
    warning_->setVisible(!text.isEmpty());
}

void StatusBarPanels::setNotice(const QString& text, const QString& toolTip) {
    if (notice_ == nullptr) return;
    notice_->setText(text);
    notice_->setToolTip(toolTip.isEmpty() ? text : toolTip);
    notice_->setVisible(!text.isEmpty());
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

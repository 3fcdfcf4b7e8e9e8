#include "settings/dialogs/TAboutBox.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace zuva::settings {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(false);
    setFixedSize(kWidth, kHeight);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    outer->addWidget(panel);

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(1);
    ProgramIcon = new QLabel(panel);
    ProgramIcon->setFixedSize(32, 32);
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                           : QApplication::windowIcon();
    ProgramIcon->setPixmap(icon.pixmap(32, 32));
    grid->addWidget(ProgramIcon, 0, 0, Qt::AlignVCenter);

    ProductName = new QLabel(QString::fromLatin1(kProductName), panel);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    grid->addWidget(ProductName, 0, 1, Qt::AlignVCenter);
    // The version and the address take the whole width of the small box.
    Version = new QLabel(QStringLiteral("Version"), panel);
    grid->addWidget(Version, 1, 0, 1, 2, Qt::AlignHCenter);
    Address = new QLabel(QString::fromLatin1(kAddressText), panel);
    QPalette palette = Address->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    Address->setPalette(palette);
    grid->addWidget(Address, 2, 0, 1, 2, Qt::AlignHCenter);
    grid->setColumnStretch(1, 1);
}

void TAboutBox::N2Click() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    Version->setText(QString::fromLatin1(kVersionText));
}

}  // namespace zuva::settings

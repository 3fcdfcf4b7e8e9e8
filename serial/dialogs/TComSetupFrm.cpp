#include "serial/dialogs/TComSetupFrm.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

#include "serial/PortChoiceModel.h"

namespace zuva::serial {

TComSetupFrm::TComSetupFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ComSetupFrm"));
    setWindowTitle(QStringLiteral("Setup"));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    auto* group = new QGroupBox(QStringLiteral(" Settings "), this);
    group->setGeometry(8, 8, 217, 49);
    auto* label = new QLabel(QStringLiteral("Port"), group);
    label->setGeometry(8, 24, 56, 16);
    Combo1 = new QComboBox(group);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(false);
    Combo1->setGeometry(72, 16, 129, 24);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setGeometry(14, 64, 75, 25);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(142, 64, 75, 25);
    CancelButton->setAutoDefault(false);

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    // activated fires for the user's pick only, not for the preselection.
    connect(Combo1, &QComboBox::activated, this, [this](int index) {
        if (model_ != nullptr) model_->Pick(index);
        Combo1->setToolTip(Combo1->currentText());
    });
}

void TComSetupFrm::load(PortChoiceModel& model) {
    model_ = &model;
    const QSignalBlocker block(Combo1);
    Combo1->clear();
    for (const std::string& name : model.Names()) Combo1->addItem(QString::fromStdString(name));
    Combo1->setCurrentIndex(model.SelectedIndex());
    // Device paths are longer than the list is wide: the open list shows them whole.
    Combo1->view()->setMinimumWidth(Combo1->view()->sizeHintForColumn(0) + 24);
    Combo1->setToolTip(Combo1->currentText());
}

bool TComSetupFrm::choose(PortChoiceModel& model) {
    load(model);
    if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
    const bool ok = exec() == QDialog::Accepted;
    model_ = nullptr;
    return ok;
}

}  // namespace zuva::serial

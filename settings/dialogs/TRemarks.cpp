#include "settings/dialogs/TRemarks.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "settings/RemarksModel.h"
#include "settings/dialogs/ErrorBox.h"

namespace zuva::settings {

TRemarks::TRemarks(RemarksModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("Remarks"));
    setWindowTitle(QStringLiteral("Remarks"));
    setModal(false);
    setFixedSize(kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral(" Set remarks "), this);
    auto* groupLayout = new QVBoxLayout(group);
    Edit2 = new QLineEdit(group);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(kMaxLength);
    groupLayout->addWidget(Edit2);
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(new QLabel(QStringLiteral("Length"), group));
    Edit1 = new QLineEdit(QStringLiteral("0"), group);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->setFixedWidth(60);
    lengthRow->addWidget(Edit1);
    lengthRow->addStretch();
    groupLayout->addLayout(lengthRow);
    layout->addWidget(group);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button3 = new QPushButton(QStringLiteral("Clear"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {Button1, Button3, Button2}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    connect(Edit2, &QLineEdit::textEdited, this,
            [this](const QString& text) { forward([this, text] { model_.setFieldText(text.toStdString()); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { forward([this] { model_.Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { forward([this] { model_.Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { forward([this] { model_.Button3Click(); }); });

    refresh();
}

void TRemarks::Remarks1Click() {
    forward([this] { model_.Remarks1Click(); });
    raise();
    activateWindow();
}

void TRemarks::refresh() {
    {
        const QSignalBlocker block(Edit2);
        const QString text = QString::fromStdString(model_.fieldText());
        if (Edit2->text() != text) Edit2->setText(text);
    }
    Edit1->setText(QString::fromStdString(model_.counterText()));
    if (model_.visible() != isVisible()) setVisible(model_.visible());
}

void TRemarks::closeEvent(QCloseEvent* event) {
    // The close box discards the edits, as "Cancel" does.
    if (model_.visible()) forward([this] { model_.Button2Click(); });
    event->accept();
}

void TRemarks::reject() {
    forward([this] { model_.Button2Click(); });
}

void TRemarks::forward(const std::function<void()>& action) {
    ErrorBox::guard(this, action);
    refresh();
}

}  // namespace zuva::settings

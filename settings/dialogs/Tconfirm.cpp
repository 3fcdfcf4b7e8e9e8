#include "settings/dialogs/Tconfirm.h"
#include "settings/dialogs/ButtonRow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "settings/ConfirmModel.h"
#include "settings/dialogs/ErrorBox.h"

namespace zuva::settings {

Tconfirm::Tconfirm(ConfirmModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("confirm"));
    setWindowTitle(QStringLiteral("Confirm"));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(QStringLiteral("Confirm or clear remarks?"), this);
    question->setObjectName(QStringLiteral("Label1"));
    QFont font = question->font();
    font.setBold(true);
    font.setPixelSize(16);
    question->setFont(font);
    QPalette palette = question->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    question->setPalette(palette);
    layout->addWidget(question);

    auto* group = new QGroupBox(QStringLiteral("Remarks "), this);
    auto* groupLayout = new QVBoxLayout(group);
    Edit2 = new QLineEdit(group);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(kMaxLength);
    groupLayout->addWidget(Edit2);
    layout->addWidget(group);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Clear"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    layout->addLayout(makeButtonRow({Button1, Button2}));

    connect(Edit2, &QLineEdit::textEdited, this,
            [this](const QString& text) { forward([this, text] { model_.setFieldText(text.toStdString()); }); });
    connect(Button1, &QPushButton::clicked, this, [this] {
        forward([this] { model_.Button1Click(); });
        closeWhenHidden();
    });
    connect(Button2, &QPushButton::clicked, this, [this] {
        forward([this] { model_.Button2Click(); });
        closeWhenHidden();
    });
}

void Tconfirm::confirm() {
    bool shown = false;
    if (!ErrorBox::guard(this, [this, &shown] { shown = model_.open(); })) return;
    refresh();
    if (shown) exec();
}

void Tconfirm::refresh() {
    const QSignalBlocker block(Edit2);
    const QString text = QString::fromStdString(model_.fieldText());
    if (Edit2->text() != text) Edit2->setText(text);
}

void Tconfirm::reject() {
    // The close box and Escape: the remark stays as it was.
    if (model_.visible()) forward([this] { model_.closeBox(); });
    QDialog::reject();
}

void Tconfirm::forward(const std::function<void()>& action) {
    ErrorBox::guard(this, action);
    refresh();
}

void Tconfirm::closeWhenHidden() {
    if (!model_.visible()) QDialog::accept();
}

}  // namespace zuva::settings

#include "settings/dialogs/TOptions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "settings/OptionsModel.h"
#include "settings/dialogs/ErrorBox.h"

namespace zuva::settings {

namespace {

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

TOptions::TOptions(OptionsModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("Options"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(false);
    setFixedSize(kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);

    auto* rateGroup = new QGroupBox(QStringLiteral(" Sampling rate "), this);
    auto* rateRow = new QHBoxLayout(rateGroup);
    ComboBox2 = new QComboBox(rateGroup);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (auto text : OptionsModel::kRateTexts) ComboBox2->addItem(toQString(text));
    ComboBox2->setMaxVisibleItems(9);
    rateRow->addWidget(ComboBox2);
    rateRow->addWidget(new QLabel(QStringLiteral("Hz"), rateGroup));
    rateRow->addStretch();
    layout->addWidget(rateGroup);

    auto* sensitivityGroup = new QGroupBox(QStringLiteral(" Sensitivity "), this);
    auto* sensitivityRow = new QHBoxLayout(sensitivityGroup);
    Edit1 = new QLineEdit(QStringLiteral("1"), sensitivityGroup);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Button1 = new QPushButton(QStringLiteral("Apply"), sensitivityGroup);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    sensitivityRow->addWidget(Edit1, 1);
    sensitivityRow->addWidget(new QLabel(QStringLiteral("nT/bit"), sensitivityGroup));
    sensitivityRow->addWidget(Button1);
    layout->addWidget(sensitivityGroup);

    auto* fileGroup = new QGroupBox(QStringLiteral(" Open new file "), this);
    auto* fileColumn = new QVBoxLayout(fileGroup);
    RadioButton1 = new QRadioButton(QStringLiteral("Every midnight"), fileGroup);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("Every hour"), fileGroup);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    fileColumn->addWidget(RadioButton1);
    fileColumn->addWidget(RadioButton2);
    layout->addWidget(fileGroup);

    auto* chartGroup = new QGroupBox(QStringLiteral(" Real time visualization "), this);
    auto* chartRow = new QHBoxLayout(chartGroup);
    ComboBox5 = new QComboBox(chartGroup);
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    for (auto text : OptionsModel::kMinutesTexts) ComboBox5->addItem(toQString(text));
    chartRow->addWidget(new QLabel(QStringLiteral("Minutes on screen"), chartGroup));
    chartRow->addWidget(ComboBox5);
    chartRow->addStretch();
    layout->addWidget(chartGroup);

    CheckBox1 = new QCheckBox(QStringLiteral("Start acquisition when the program starts"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    layout->addWidget(CheckBox1);
    layout->addStretch();

    Button2 = new QPushButton(QStringLiteral("Ok"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(Button2);
    buttonRow->addStretch();
    layout->addLayout(buttonRow);

    // activated/textEdited/clicked fire for the user's input only, never for the
    // values refresh() puts on screen.
    connect(ComboBox2, &QComboBox::activated, this, [this](int index) { forward([this, index] { model_.pickSamplingRate(index); }); });
    connect(ComboBox5, &QComboBox::activated, this, [this](int index) { forward([this, index] { model_.pickMinutes(index); }); });
    connect(Edit1, &QLineEdit::textEdited, this,
            [this](const QString& text) { forward([this, text] { model_.typeSensitivity(text.toStdString()); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { forward([this] { model_.Button1Click(); }); });
    connect(RadioButton1, &QRadioButton::clicked, this, [this] { forward([this] { model_.RadioButton1Click(); }); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { forward([this] { model_.RadioButton2Click(); }); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool ticked) { forward([this, ticked] { model_.setAutostart(ticked); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { forward([this] { model_.Button2Click(); }); });

    refresh();
}

void TOptions::Options1Click() {
    forward([this] { model_.show(); });
    raise();
    activateWindow();
}

void TOptions::refresh() {
    {
        const QSignalBlocker blockRate(ComboBox2);
        const QSignalBlocker blockMinutes(ComboBox5);
        const QSignalBlocker blockEdit(Edit1);
        ComboBox2->setCurrentIndex(model_.samplingRateIndex());
        ComboBox5->setCurrentIndex(model_.minutesIndex());
        const QString text = QString::fromStdString(model_.sensitivityText());
        if (Edit1->text() != text) Edit1->setText(text);
        const bool everyHour = model_.everyHour();
        RadioButton1->setChecked(!everyHour);
        RadioButton2->setChecked(everyHour);
        CheckBox1->setChecked(model_.autostart());
    }
    // A text the last "Apply" or Start refused stays marked until the field is typed in.
    const auto& rejected = model_.rejectedSensitivityText();
    if (rejected) {
        Edit1->setStyleSheet(QStringLiteral("QLineEdit { background: #ffd0c8; }"));
        Edit1->setToolTip(rejectedSensitivityToolTip(QString::fromStdString(*rejected)));
    } else {
        Edit1->setStyleSheet(QString());
        Edit1->setToolTip(QString());
    }
    ComboBox2->setEnabled(model_.samplingRateEnabled());
    Edit1->setEnabled(model_.sensitivityEnabled());
    Button1->setEnabled(model_.applyEnabled());
    CheckBox1->setEnabled(model_.autostartEnabled());
    ComboBox5->setEnabled(model_.minutesEnabled());
    if (model_.visible() != isVisible()) setVisible(model_.visible());
}

QString TOptions::rejectedSensitivityToolTip(const QString& refused) {
    return QStringLiteral("\"%1\" is not a number with a full stop (such as 2.393E-5); 1 nT/bit is used")
        .arg(refused);
}

void TOptions::closeEvent(QCloseEvent* event) {
    // The close box does what "Ok" does: hide, nothing else.
    forward([this] { model_.Button2Click(); });
    event->accept();
}

void TOptions::reject() {
    forward([this] { model_.Button2Click(); });
}

void TOptions::forward(const std::function<void()>& action) {
    ErrorBox::guard(this, action);
    refresh();
}

}  // namespace zuva::settings

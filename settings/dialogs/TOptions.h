#pragma once

#include <functional>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zuva::settings {

class OptionsModel;

// The Options window: shows an OptionsModel and forwards the user's actions to it.
// Modeless; "Ok" and the close box hide it. Connect the model's "changed" hook to
// refresh() so that changes made elsewhere (Start, Stop) show at once.
class TOptions : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 292;
    static constexpr int kHeight = 414;

    explicit TOptions(OptionsModel& model, QWidget* parent = nullptr);

    // The "Options" menu entry: shows the window modelessly.
    void Options1Click();
    // Puts the model's texts, selections, enabled states and visibility on screen.
    void refresh();
    // The sensitivity field's tooltip after the text `refused` was replaced by "1".
    static QString rejectedSensitivityToolTip(const QString& refused);

    QComboBox* ComboBox2 = nullptr;     // sampling rate
    QLineEdit* Edit1 = nullptr;         // sensitivity
    QPushButton* Button1 = nullptr;     // "Apply"
    QRadioButton* RadioButton1 = nullptr;  // "Every midnight"
    QRadioButton* RadioButton2 = nullptr;  // "Every hour"
    QComboBox* ComboBox5 = nullptr;     // minutes on screen
    QCheckBox* CheckBox1 = nullptr;     // start with the program
    QPushButton* Button2 = nullptr;     // "Ok"

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void forward(const std::function<void()>& action);

    OptionsModel& model_;
};

}  // namespace zuva::settings

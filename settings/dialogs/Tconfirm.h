#pragma once

#include <functional>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zuva::settings {

class ConfirmModel;

// The Confirm window, shown modally by Start while a remark is set: the remark can
// be kept ("Ok", with any edits made here) or cleared ("Clear"). The close box
// leaves the remark as it was.
class Tconfirm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 156;
    static constexpr int kMaxLength = 1024;

    explicit Tconfirm(ConfirmModel& model, QWidget* parent = nullptr);

    // Start's confirmation step: with a remark set, shows the window modally and
    // returns when it is closed, whichever way; with none, shows nothing.
    void confirm();
    void refresh();

    QLineEdit* Edit2 = nullptr;       // the remark
    QPushButton* Button1 = nullptr;   // "Ok"
    QPushButton* Button2 = nullptr;   // "Clear"

protected:
    void reject() override;

private:
    void forward(const std::function<void()>& action);
    void closeWhenHidden();

    ConfirmModel& model_;
};

}  // namespace zuva::settings

#pragma once

#include <functional>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zuva::settings {

class RemarksModel;

// The Remarks window: shows a RemarksModel and forwards the user's actions to it.
// Modeless. Connect the model's "changed" hook to refresh().
class TRemarks : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 421;
    static constexpr int kHeight = 156;
    static constexpr int kMaxLength = 1024;

    explicit TRemarks(RemarksModel& model, QWidget* parent = nullptr);

    // The "Remarks" menu entry: shows the window with the remark in force.
    void Remarks1Click();
    void refresh();

    QLineEdit* Edit2 = nullptr;       // the remark being edited
    QLineEdit* Edit1 = nullptr;       // its length, read-only
    QPushButton* Button1 = nullptr;   // "Ok"
    QPushButton* Button3 = nullptr;   // "Clear"
    QPushButton* Button2 = nullptr;   // "Cancel"

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void forward(const std::function<void()>& action);

    RemarksModel& model_;
};

}  // namespace zuva::settings

#pragma once

#include <QDialog>

#include "serial/PortChooser.h"

class QComboBox;
class QPushButton;

namespace zuva::serial {

// The port dialog "Setup": the list of the ports present with the port in use
// preselected. The user's pick is only remembered in the model; whoever called the
// dialog applies it on OK. Modal.
class TComSetupFrm : public QDialog, public PortChooser {
    Q_OBJECT

public:
    static constexpr int kWidth = 231;
    static constexpr int kHeight = 99;

    explicit TComSetupFrm(QWidget* parent = nullptr);

    // Fills the list from the model, shows the dialog modally and returns true for
    // OK, false for Cancel or the close box.
    bool choose(PortChoiceModel& model) override;
    // The list filled from the model, without showing the dialog.
    void load(PortChoiceModel& model);

    QComboBox* Combo1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    PortChoiceModel* model_ = nullptr;
};

}  // namespace zuva::serial

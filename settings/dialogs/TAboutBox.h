#pragma once

#include <QDialog>

class QLabel;

namespace zuva::settings {

// The About box: the program icon, the product name, the version and the project's
// address in blue. No buttons; the close box closes it.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 197;
    static constexpr int kHeight = 100;
    static constexpr const char* kProductName = "ZUVA-7k Logger";
    static constexpr const char* kVersionText = "Version 3.8 - 19.08.2009";
    static constexpr const char* kAddressText = "zuva-logger project";

    explicit TAboutBox(QWidget* parent = nullptr);

    // The "About..." menu entry: shows the box modelessly, then sets the version label.
    void N2Click();

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Address = nullptr;
};

}  // namespace zuva::settings

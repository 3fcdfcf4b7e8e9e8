#include "settings/dialogs/ErrorBox.h"

#include <exception>

#include <QMessageBox>

namespace zuva::settings {

void ErrorBox::show(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QString::fromLatin1(kTitle), text, QMessageBox::Ok);
}

bool ErrorBox::guard(QWidget* parent, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        show(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        show(parent, QStringLiteral("Unknown error"));
    }
    return false;
}

}  // namespace zuva::settings

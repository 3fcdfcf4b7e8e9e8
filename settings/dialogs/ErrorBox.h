#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace zuva::settings {

// The error report of the windows: a modal message box with the error's own text.
// An error that leaves a window's handler is shown here and the program goes on.
class ErrorBox {
public:
    static constexpr const char* kTitle = "Error";

    static void show(QWidget* parent, const QString& text);

    // Runs action; an error it raises is shown in the message box. Returns false
    // when the action raised.
    static bool guard(QWidget* parent, const std::function<void()>& action);
};

}  // namespace zuva::settings

#pragma once

#include <functional>

#include <QString>
#include <QUrl>

class QWidget;

namespace zuva::settings {

// The help command: opens "zuva.chm" of the current directory with the desktop's
// viewer, or says that it is missing.
class HelpFile {
public:
    static constexpr const char* kFileName = "zuva.chm";
    static constexpr const char* kNotFound = "Helpfile zuva.chm not found !";

    using Opener = std::function<bool(const QUrl&)>;

    // Looks for the file in directory (the current directory when empty). Found: hands
    // it to opener (QDesktopServices::openUrl when empty), whose result is ignored,
    // and returns true. Missing: the error box "Helpfile zuva.chm not found !", false.
    static bool Help2Click(QWidget* parent, const QString& directory = {}, const Opener& opener = {});
};

}  // namespace zuva::settings

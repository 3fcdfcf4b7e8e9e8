#pragma once

#include <functional>

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace zuva::settings {

// The help command: opens "zuva.chm" of the current directory with the desktop's
// viewer; without it, the first user guide found among the given places; or says
// that help is missing.
class HelpFile {
public:
    static constexpr const char* kFileName = "zuva.chm";
    static constexpr const char* kNotFound = "Helpfile zuva.chm not found !";
    static constexpr const char* kGuideName = "user-guide.md";

    using Opener = std::function<bool(const QUrl&)>;

    // Looks for "zuva.chm" in directory (the current directory when empty). Found: hands
    // it to opener (QDesktopServices::openUrl when empty), whose result is ignored, and
    // returns true. Missing: the first existing file of guides goes to opener; when no
    // program takes it, a message names the file to open by hand. Neither there: the
    // error box "Helpfile zuva.chm not found !", false.
    static bool Help2Click(QWidget* parent, const QString& directory = {}, const Opener& opener = {},
                           const QStringList& guides = {});

    // Where the user guide lies: beside the program, in the installed documentation
    // folder (share/doc/zuva-logger), and in the source tree the program was built from.
    static QStringList guidePlaces();

    // The message shown when no program opens the guide.
    static QString noViewerMessage(const QString& guide);
};

}  // namespace zuva::settings

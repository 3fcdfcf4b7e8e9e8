#include "settings/dialogs/HelpFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "settings/dialogs/ErrorBox.h"

namespace zuva::settings {

bool HelpFile::Help2Click(QWidget* parent, const QString& directory, const Opener& opener) {
    const QDir dir(directory.isEmpty() ? QDir::currentPath() : directory);
    const QFileInfo file(dir.absoluteFilePath(QString::fromLatin1(kFileName)));
    if (!file.isFile()) {
        ErrorBox::show(parent, QString::fromLatin1(kNotFound));
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    if (opener) {
        opener(url);
    } else {
        QDesktopServices::openUrl(url);
    }
    return true;
}

}  // namespace zuva::settings

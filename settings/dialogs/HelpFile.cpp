#include "settings/dialogs/HelpFile.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "settings/dialogs/ErrorBox.h"

namespace zuva::settings {

namespace {

bool openWith(const HelpFile::Opener& opener, const QUrl& url) {
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

}  // namespace

QStringList HelpFile::guidePlaces() {
    const QString name = QString::fromLatin1(kGuideName);
    const QDir programDir(QCoreApplication::applicationDirPath());
    QStringList places{programDir.absoluteFilePath(name),
                       programDir.absoluteFilePath(QStringLiteral("../share/doc/zuva-logger/") + name)};
#ifdef ZUVA_DOCS_DIR
    places << QDir(QStringLiteral(ZUVA_DOCS_DIR)).absoluteFilePath(name);
#endif
    return places;
}

QString HelpFile::noViewerMessage(const QString& guide) {
    return QStringLiteral("No program to show the user guide was found. Open %1 in a text editor or a web browser.")
        .arg(QDir::toNativeSeparators(guide));
}

bool HelpFile::Help2Click(QWidget* parent, const QString& directory, const Opener& opener,
                          const QStringList& guides) {
    const QDir dir(directory.isEmpty() ? QDir::currentPath() : directory);
    const QFileInfo file(dir.absoluteFilePath(QString::fromLatin1(kFileName)));
    if (file.isFile()) {
        // The compiled help file comes first; the viewer's answer does not matter.
        openWith(opener, QUrl::fromLocalFile(file.absoluteFilePath()));
        return true;
    }
    for (const QString& place : guides) {
        const QFileInfo guide(place);
        if (!guide.isFile()) continue;
        const QString path = guide.canonicalFilePath().isEmpty() ? guide.absoluteFilePath() : guide.canonicalFilePath();
        if (!openWith(opener, QUrl::fromLocalFile(path))) {
            QMessageBox::information(parent, QStringLiteral("Help"), noViewerMessage(path));
        }
        return true;
    }
    ErrorBox::show(parent, QString::fromLatin1(kNotFound));
    return false;
}

}  // namespace zuva::settings

#include <stdexcept>

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogTestSupport.h"
#include "settings/dialogs/ErrorBox.h"
#include "settings/dialogs/HelpFile.h"

#include <QFileInfo>
#include <algorithm>
#include "settings/dialogs/TAboutBox.h"

using zuva::dialogs_test::MessageBoxCatcher;
using zuva::settings::ErrorBox;
using zuva::settings::HelpFile;
using zuva::settings::TAboutBox;

class AboutHelpTest : public QObject {
    Q_OBJECT

private slots:
    void aboutShowsTheVersion() {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(box.size(), QSize(197, 100));
        QVERIFY(!box.isVisible());
        box.N2Click();
        QVERIFY(box.isVisible());
        QCOMPARE(box.ProductName->text(), QStringLiteral("ZUVA-7k Logger"));
        QCOMPARE(box.Version->text(), QStringLiteral("Version 3.8 - 19.08.2009"));
        QCOMPARE(box.Address->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(box.ProgramIcon->size(), QSize(32, 32));
        QVERIFY(!box.ProgramIcon->pixmap().isNull());
        QVERIFY(zuva::dialogs_test::saveScreenshot(box, QStringLiteral("/tmp/zuva-about.png")));
    }

    void helpOpensTheFileOrSaysItIsMissing() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QList<QUrl> opened;
        const HelpFile::Opener opener = [&opened](const QUrl& url) {
            opened.append(url);
            return false;  // the result is ignored
        };
        {
            MessageBoxCatcher boxes;
            QVERIFY(!HelpFile::Help2Click(nullptr, dir.path(), opener));
            QCOMPARE(boxes.texts, QStringList{QStringLiteral("Helpfile zuva.chm not found !")});
            QCOMPARE(boxes.titles, QStringList{QStringLiteral("Error")});
            QVERIFY(opened.isEmpty());
        }
        // A directory of that name is no help file.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("zuva.chm")));
        {
            MessageBoxCatcher boxes;
            QVERIFY(!HelpFile::Help2Click(nullptr, dir.path(), opener));
            QCOMPARE(boxes.texts.size(), 1);
        }
        QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("zuva.chm")));
        QFile file(dir.filePath(QStringLiteral("zuva.chm")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        {
            MessageBoxCatcher boxes;
            QVERIFY(HelpFile::Help2Click(nullptr, dir.path(), opener));
            QVERIFY(boxes.texts.isEmpty());
            QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(dir.filePath(QStringLiteral("zuva.chm")))});
        }
    }

    void withoutTheHelpFileTheUserGuideOpens() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString missing = dir.filePath(QStringLiteral("nowhere/user-guide.md"));
        const QString guide = dir.filePath(QStringLiteral("user-guide.md"));
        QFile file(guide);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QList<QUrl> opened;
        bool viewerFound = true;
        const HelpFile::Opener opener = [&](const QUrl& url) {
            opened.append(url);
            return viewerFound;
        };
        {
            // The first guide that exists is opened; no message.
            MessageBoxCatcher boxes;
            QVERIFY(HelpFile::Help2Click(nullptr, dir.path(), opener, {missing, guide}));
            QVERIFY(boxes.texts.isEmpty());
            QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(guide)});
        }
        {
            // No program takes it: the message says which file to open by hand.
            viewerFound = false;
            MessageBoxCatcher boxes;
            QVERIFY(HelpFile::Help2Click(nullptr, dir.path(), opener, {guide}));
            QCOMPARE(boxes.texts, QStringList{QStringLiteral("No program to show the user guide was found. Open ") +
                                              guide + QStringLiteral(" in a text editor or a web browser.")});
        }
        {
            // "zuva.chm" keeps its precedence over the guide.
            QFile chm(dir.filePath(QStringLiteral("zuva.chm")));
            QVERIFY(chm.open(QIODevice::WriteOnly));
            chm.close();
            opened.clear();
            MessageBoxCatcher boxes;
            QVERIFY(HelpFile::Help2Click(nullptr, dir.path(), opener, {guide}));
            QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(dir.filePath(QStringLiteral("zuva.chm")))});
            QVERIFY(boxes.texts.isEmpty());
        }
    }

    void theProgramFindsTheGuideOfItsSourceTree() {
        const QStringList places = HelpFile::guidePlaces();
        QVERIFY(std::any_of(places.begin(), places.end(), [](const QString& p) { return QFileInfo(p).isFile(); }));
        QCOMPARE(QFileInfo(places.back()).fileName(), QStringLiteral("user-guide.md"));
    }

    void helpLooksInTheCurrentDirectory() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        MessageBoxCatcher boxes;
        int calls = 0;
        const bool found = HelpFile::Help2Click(nullptr, {}, [&calls](const QUrl&) { return ++calls > 0; });
        QDir::setCurrent(previous);
        QVERIFY(!found);
        QCOMPARE(calls, 0);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("Helpfile zuva.chm not found !")});
    }

    void errorBoxShowsTheErrorsText() {
        MessageBoxCatcher boxes;
        QVERIFY(!ErrorBox::guard(nullptr, [] { throw std::runtime_error("Unable to write to /x/zuva.ini"); }));
        QVERIFY(!ErrorBox::guard(nullptr, [] { throw 42; }));
        int runs = 0;
        QVERIFY(ErrorBox::guard(nullptr, [&runs] { ++runs; }));
        QCOMPARE(runs, 1);
        QCOMPARE(boxes.texts, (QStringList{QStringLiteral("Unable to write to /x/zuva.ini"), QStringLiteral("Unknown error")}));
    }
};

QTEST_MAIN(AboutHelpTest)
#include "AboutHelpTest.moc"

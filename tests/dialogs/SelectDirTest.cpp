#include <memory>
#include <string>

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include "DialogTestSupport.h"
#include "fakes/RecordingLog.h"
#include "settings/OutputDirectoryModel.h"
#include "settings/SettingsFile.h"
#include "settings/dialogs/DirectoryPathChooser.h"
#include "settings/dialogs/TSelectDir.h"
#include "settings/dialogs/VolumeList.h"

using zuva::settings::DirectoryPathChooser;
using zuva::settings::OutputDirectoryModel;
using zuva::settings::SettingsFile;
using zuva::settings::TSelectDir;
using zuva::settings::VolumeList;

namespace {

std::string str(const QString& text) { return text.toStdString(); }

}  // namespace

class SelectDirTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    // The real path: the tree and the model both name directories by it.
    QString root() const { return QDir(dir_.path()).canonicalPath(); }
    QString at(const QString& relative) const { return root() + QLatin1Char('/') + relative; }

    // A model whose field starts at start.
    std::unique_ptr<OutputDirectoryModel> modelAt(zuva::fakes::RecordingLog& log, const QString& start) {
        SettingsFile file(str(at(QStringLiteral("zuva.ini"))));
        file.writeConfig("OutputDirectory", str(start));
        auto model = std::make_unique<OutputDirectoryModel>(log);
        model->FormCreate(file, "/");
        return model;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QDir d(root());
        for (const char* path : {"logs/data", "logs/other", "logs/deep/er/still", "x"}) QVERIFY(d.mkpath(QString::fromLatin1(path)));
    }

    void chooserReachesAnyDirectory_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("found");
        QTest::newRow("subdirectory") << "logs" << "logs/data" << true;
        QTest::newRow("sibling of the current") << "logs/data" << "logs/other" << true;
        QTest::newRow("three levels down") << "x" << "logs/deep/er/still" << true;
        QTest::newRow("directory above") << "logs/deep/er" << "logs" << true;
        QTest::newRow("the current itself") << "logs" << "logs" << true;
        QTest::newRow("missing") << "logs" << "logs/none" << false;
    }
    void chooserReachesAnyDirectory() {
        QFETCH(QString, start);
        QFETCH(QString, target);
        QFETCH(bool, found);
        zuva::fakes::RecordingLog log;
        auto model = modelAt(log, at(start));
        QCOMPARE(model->fieldText(), str(at(start)));
        QCOMPARE(DirectoryPathChooser::choose(*model, str(at(target))), found);
        if (found) QCOMPARE(model->fieldText(), str(at(target)));
        QVERIFY(log.lines.empty());
    }

    void chooserTakesTheRoot() {
        zuva::fakes::RecordingLog log;
        auto model = modelAt(log, at(QStringLiteral("logs")));
        QVERIFY(DirectoryPathChooser::choose(*model, "/"));
        QCOMPARE(model->fieldText(), std::string("/"));
    }

    void isAbove_data() {
        QTest::addColumn<QString>("ancestor");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("above");
        QTest::newRow("root above all") << "/" << "/home" << true;
        QTest::newRow("root not above itself") << "/" << "/" << false;
        QTest::newRow("parent") << "/home" << "/home/u" << true;
        QTest::newRow("same") << "/home" << "/home" << false;
        QTest::newRow("name prefix only") << "/home" << "/homer" << false;
        QTest::newRow("child is not above") << "/home/u" << "/home" << false;
    }
    void isAbove() {
        QFETCH(QString, ancestor);
        QFETCH(QString, path);
        QFETCH(bool, above);
        QCOMPARE(DirectoryPathChooser::isAbove(str(ancestor), str(path)), above);
    }

    void volumesFromProcMounts() {
        const std::string mounts =
            "overlay / overlay rw,relatime 0 0\n"
            "proc /proc proc rw 0 0\n"
            "sysfs /sys sysfs rw 0 0\n"
            "tmpfs /run tmpfs rw 0 0\n"
            "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
            "/dev/sda2 /data ext4 rw 0 0\n"
            "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
            "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
            "server:/export /mnt/share nfs4 rw 0 0\n"
            "/dev/sda2 /data ext4 rw 0 0\n"
            "garbage\n"
            "\n";
        const std::vector<std::string> expected{"/", "/home/u", "/data", "/media/usb stick", "/mnt/share"};
        QCOMPARE(VolumeList::volumes(mounts, "/home/u/"), expected);
        QCOMPARE(VolumeList::volumes("", ""), std::vector<std::string>{"/"});
        QCOMPARE(VolumeList::volumeOf(expected, "/data/logs"), std::string("/data"));
        QCOMPARE(VolumeList::volumeOf(expected, "/datastore"), std::string("/"));
        QCOMPARE(VolumeList::volumeOf(expected, "/home/u"), std::string("/home/u"));
    }

    void clickingATreeRowChoosesItAndOkLogs() {
        zuva::fakes::RecordingLog log;
        auto model = modelAt(log, at(QStringLiteral("logs")));
        TSelectDir w(*model, {"/", str(root())});
        QCOMPARE(w.windowTitle(), QStringLiteral("Choose output directory"));
        QCOMPARE(w.size(), QSize(387, 311));
        QVERIFY(w.Edit1->isReadOnly());
        QCOMPARE(w.Edit1->text(), at(QStringLiteral("logs")));
        QCOMPARE(w.DriveComboBox1->currentText(), root());
        w.Outputdirectory1Click();
        QVERIFY(w.isVisible());

        // The tree loads in the background; wait for the row, then click it.
        const QModelIndex logs = w.directories->index(at(QStringLiteral("logs")));
        QVERIFY(logs.isValid());
        w.DirectoryListBox1->expand(logs);
        QTRY_COMPARE(w.directories->rowCount(logs), 3);
        const QModelIndex data = w.directories->index(at(QStringLiteral("logs/data")));
        QVERIFY(data.isValid());
        w.DirectoryListBox1->scrollTo(data);
        QTRY_VERIFY(w.DirectoryListBox1->visualRect(data).isValid());
        QTest::mouseClick(w.DirectoryListBox1->viewport(), Qt::LeftButton, {}, w.DirectoryListBox1->visualRect(data).center());
        QCOMPARE(w.Edit1->text(), at(QStringLiteral("logs/data")));
        QCOMPARE(model->fieldText(), str(at(QStringLiteral("logs/data"))));
        QVERIFY(log.lines.empty());

        QTest::mouseClick(w.Button2, Qt::LeftButton);  // Exit: kept, not logged
        QVERIFY(!w.isVisible());
        QVERIFY(log.lines.empty());
        QCOMPARE(w.Edit1->text(), at(QStringLiteral("logs/data")));

        w.Outputdirectory1Click();
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(log.lines, std::vector<std::string>{"Output directory: " + str(at(QStringLiteral("logs/data")))});
    }

    void choosingAVolumeChoosesItsRoot() {
        zuva::fakes::RecordingLog log;
        auto model = modelAt(log, at(QStringLiteral("logs/data")));
        TSelectDir w(*model, {"/", str(root())});
        zuva::dialogs_test::userPicks(w.DriveComboBox1, 0);
        QCOMPARE(w.Edit1->text(), QStringLiteral("/"));
        zuva::dialogs_test::userPicks(w.DriveComboBox1, 1);
        QCOMPARE(w.Edit1->text(), root());
        QVERIFY(log.lines.empty());
    }

    void vanishedDirectoryIsReported() {
        zuva::fakes::RecordingLog log;
        auto model = modelAt(log, at(QStringLiteral("logs")));
        TSelectDir w(*model, {"/"});
        zuva::dialogs_test::MessageBoxCatcher boxes;
        w.DirectoryListBox1Click(at(QStringLiteral("logs/gone")));
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("Directory ") + at(QStringLiteral("logs/gone")) + QStringLiteral(" not found")});
        QCOMPARE(w.Edit1->text(), at(QStringLiteral("logs")));
    }

    void screenshot() {
        zuva::fakes::RecordingLog log;
        auto model = modelAt(log, at(QStringLiteral("logs")));
        TSelectDir w(*model, {"/", str(root())});
        w.Outputdirectory1Click();
        const QModelIndex logs = w.directories->index(at(QStringLiteral("logs")));
        w.DirectoryListBox1->expand(logs);
        QTRY_COMPARE(w.directories->rowCount(logs), 3);
        QVERIFY(zuva::dialogs_test::saveScreenshot(w, QStringLiteral("/tmp/zuva-selectdir.png")));
    }
};

QTEST_MAIN(SelectDirTest)
#include "SelectDirTest.moc"

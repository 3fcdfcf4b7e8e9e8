#include <memory>
#include <string>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogTestSupport.h"
#include "serial/MainThreadQueue.h"
#include "serial/PortChoiceModel.h"
#include "serial/PortLister.h"
#include "serial/TComPort.h"
#include "serial/dialogs/TComSetupFrm.h"

using zuva::dialogs_test::userPicks;
using zuva::dialogs_test::whenModal;
using zuva::serial::PortChoiceModel;
using zuva::serial::PortListRoots;
using zuva::serial::TComPort;
using zuva::serial::TComSetupFrm;

class ComSetupFrmTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString ports() const { return dir_.filePath(QStringLiteral("ports")); }
    std::string port(const char* name) const { return (ports() + QLatin1Char('/') + QLatin1String(name)).toStdString(); }

    // Two virtual ports registered as links; no sysfs ports.
    std::unique_ptr<TComPort> makePort(const std::string& current) {
        PortListRoots roots;
        roots.sysClassTty = dir_.filePath(QStringLiteral("sys")).toStdString();
        roots.dev = dir_.filePath(QStringLiteral("dev")).toStdString();
        roots.portsDir = ports().toStdString();
        auto comPort = std::make_unique<TComPort>(queue_, zuva::serial::PortLister(roots));
        comPort->SetPort(current);
        return comPort;
    }

    zuva::serial::MainThreadQueue queue_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QDir d(dir_.path());
        QVERIFY(d.mkpath(QStringLiteral("sys")) && d.mkpath(QStringLiteral("dev")) && d.mkpath(QStringLiteral("ports")));
        for (const char* name : {"ttyVA", "ttyVB"}) {
            const QString target = dir_.filePath(QStringLiteral("target-") + QLatin1String(name));
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            QVERIFY(QFile::link(target, ports() + QLatin1Char('/') + QLatin1String(name)));
        }
    }

    void layout() {
        TComSetupFrm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Setup"));
        QCOMPARE(form.size(), QSize(231, 99));
        QVERIFY(form.isModal());
        auto* group = form.findChild<QGroupBox*>();
        QVERIFY(group != nullptr);
        QCOMPARE(group->title(), QStringLiteral(" Settings "));
        QVERIFY(!form.Combo1->isEditable());
        QVERIFY(form.OkButton->isDefault());
        QCOMPARE(form.OkButton->text(), QStringLiteral("OK"));
        QCOMPARE(form.CancelButton->text(), QStringLiteral("Cancel"));
        QVERIFY(form.OkButton->x() < form.CancelButton->x());
    }

    void choose_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("pick");  // -1: no pick
        QTest::addColumn<int>("action");  // 0 OK, 1 Cancel, 2 close box, 3 Enter
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("applied");  // the port name after applying OK
        QTest::newRow("OK with a pick") << "ttyVB" << 0 << 0 << true << "ttyVA";
        QTest::newRow("OK keeps the preselection") << "ttyVB" << -1 << 0 << true << "ttyVB";
        QTest::newRow("Enter is OK") << "ttyVA" << 1 << 3 << true << "ttyVB";
        QTest::newRow("Cancel after a pick") << "ttyVB" << 0 << 1 << false << "ttyVB";
        QTest::newRow("close box") << "ttyVB" << 0 << 2 << false << "ttyVB";
    }
    void choose() {
        QFETCH(QString, current);
        QFETCH(int, pick);
        QFETCH(int, action);
        QFETCH(bool, accepted);
        QFETCH(QString, applied);
        auto comPort = makePort(port(qPrintable(current)));
        PortChoiceModel model(*comPort);
        TComSetupFrm form;
        QStringList shown;
        int preselected = -2;
        whenModal([&] {
            for (int i = 0; i < form.Combo1->count(); ++i) shown.append(form.Combo1->itemText(i));
            preselected = form.Combo1->currentIndex();
            if (pick >= 0) userPicks(form.Combo1, pick);
            switch (action) {
                case 0: QTest::mouseClick(form.OkButton, Qt::LeftButton); break;
                case 1: QTest::mouseClick(form.CancelButton, Qt::LeftButton); break;
                case 2: form.close(); break;
                default: QTest::keyClick(&form, Qt::Key_Return); break;
            }
        });
        const bool ok = form.choose(model);
        QCOMPARE(shown, (QStringList{QString::fromStdString(port("ttyVA")), QString::fromStdString(port("ttyVB"))}));
        QCOMPARE(preselected, current == QStringLiteral("ttyVA") ? 0 : 1);
        QCOMPARE(ok, accepted);
        if (ok) model.ApplyOk();
        QCOMPARE(QString::fromStdString(comPort->Port()), QString::fromStdString(port(qPrintable(applied))));
    }

    void unknownPortSelectsNothing() {
        auto comPort = makePort("COM99");
        PortChoiceModel model(*comPort);
        TComSetupFrm form;
        form.load(model);
        QCOMPARE(form.Combo1->count(), 2);
        QCOMPARE(form.Combo1->currentIndex(), -1);
        form.show();
        QVERIFY(zuva::dialogs_test::saveScreenshot(form, QStringLiteral("/tmp/zuva-comsetup-empty.png")));
        form.hide();
        comPort->SetPort(port("ttyVA"));
        PortChoiceModel second(*comPort);
        form.load(second);
        form.show();
        QVERIFY(zuva::dialogs_test::saveScreenshot(form, QStringLiteral("/tmp/zuva-comsetup.png")));
    }
};

QTEST_MAIN(ComSetupFrmTest)
#include "ComSetupFrmTest.moc"

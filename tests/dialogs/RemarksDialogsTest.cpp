#include <memory>
#include <string>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "DialogTestSupport.h"
#include "fakes/RecordingLog.h"
#include "settings/ConfirmModel.h"
#include "settings/RemarksModel.h"
#include "settings/RemarksText.h"
#include "settings/dialogs/TRemarks.h"
#include "settings/dialogs/Tconfirm.h"

using zuva::dialogs_test::whenModal;
using zuva::settings::ConfirmModel;
using zuva::settings::RemarksModel;
using zuva::settings::RemarksText;
using zuva::settings::TRemarks;
using zuva::settings::Tconfirm;

namespace {

struct RemarksRig {
    RemarksRig() {
        model = std::make_unique<RemarksModel>(remarks, log, [this] {
            if (window) window->refresh();
        });
        window = std::make_unique<TRemarks>(*model);
    }
    RemarksText remarks;
    zuva::fakes::RecordingLog log;
    std::unique_ptr<RemarksModel> model;
    std::unique_ptr<TRemarks> window;
};

struct ConfirmRig {
    explicit ConfirmRig(const std::string& remark) {
        remarks.set(remark);
        model = std::make_unique<ConfirmModel>(remarks, log);
        window = std::make_unique<Tconfirm>(*model);
    }
    RemarksText remarks;
    zuva::fakes::RecordingLog log;
    std::unique_ptr<ConfirmModel> model;
    std::unique_ptr<Tconfirm> window;
};

void retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

}  // namespace

class RemarksDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void remarksLayout() {
        RemarksRig rig;
        TRemarks& w = *rig.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Remarks"));
        QCOMPARE(w.size(), QSize(421, 156));
        QCOMPARE(w.Edit1->text(), QStringLiteral("0"));
        QVERIFY(w.Edit1->isReadOnly());
        QCOMPARE(w.Edit2->maxLength(), 1024);
        // Ok, Clear, Cancel from left to right.
        w.show();
        QVERIFY(w.Button1->x() < w.Button3->x() && w.Button3->x() < w.Button2->x());
        QCOMPARE(w.Button1->text(), QStringLiteral("Ok"));
        QCOMPARE(w.Button3->text(), QStringLiteral("Clear"));
        QCOMPARE(w.Button2->text(), QStringLiteral("Cancel"));
    }

    void okTakesTheEditedRemark() {
        RemarksRig rig;
        rig.remarks.set("old");
        rig.window->Remarks1Click();
        QVERIFY(rig.window->isVisible());
        QCOMPARE(rig.window->Edit2->text(), QStringLiteral("old"));
        QCOMPARE(rig.window->Edit1->text(), QStringLiteral("3"));
        rig.window->Edit2->end(false);
        QTest::keyClicks(rig.window->Edit2, QStringLiteral(" site 4"));
        QCOMPARE(rig.window->Edit1->text(), QStringLiteral("10"));
        QTest::mouseClick(rig.window->Button1, Qt::LeftButton);
        QCOMPARE(rig.remarks.text(), std::string("old site 4"));
        QCOMPARE(rig.log.lines, std::vector<std::string>{"Remarks= old site 4"});
        QVERIFY(!rig.window->isVisible());
    }

    void cancelAndClearLeaveTheRemark_data() {
        QTest::addColumn<bool>("clearFirst");
        QTest::newRow("typed then Cancel") << false;
        QTest::newRow("Clear then Cancel") << true;
    }
    void cancelAndClearLeaveTheRemark() {
        QFETCH(bool, clearFirst);
        RemarksRig rig;
        rig.remarks.set("site 4");
        rig.window->Remarks1Click();
        if (clearFirst) {
            QTest::mouseClick(rig.window->Button3, Qt::LeftButton);
            QCOMPARE(rig.window->Edit2->text(), QString());
            QCOMPARE(rig.window->Edit1->text(), QStringLiteral("0"));
        } else {
            retype(rig.window->Edit2, QStringLiteral("changed"));
        }
        QTest::mouseClick(rig.window->Button2, Qt::LeftButton);
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(rig.remarks.text(), std::string("site 4"));
        QVERIFY(rig.log.lines.empty());
        rig.window->Remarks1Click();
        QCOMPARE(rig.window->Edit2->text(), QStringLiteral("site 4"));
    }

    void clearThenOkEmptiesTheRemark() {
        RemarksRig rig;
        rig.remarks.set("site 4");
        rig.window->Remarks1Click();
        QTest::mouseClick(rig.window->Button3, Qt::LeftButton);
        QTest::mouseClick(rig.window->Button1, Qt::LeftButton);
        QVERIFY(rig.remarks.empty());
        QCOMPARE(rig.log.lines, std::vector<std::string>{"Remarks= "});
    }

    void counterStopsAt1024() {
        RemarksRig rig;
        rig.window->Remarks1Click();
        QTest::keyClicks(rig.window->Edit2, QString(1030, QLatin1Char('x')));
        QCOMPARE(rig.window->Edit2->text().size(), 1024);
        QCOMPARE(rig.window->Edit1->text(), QStringLiteral("1024"));
        QTest::mouseClick(rig.window->Button1, Qt::LeftButton);
        QCOMPARE(rig.remarks.text(), std::string(1024, 'x'));
    }

    void counterCountsCharactersNotBytes() {
        RemarksRig rig;
        rig.window->Remarks1Click();
        // Characters beyond ASCII arrive as committed input, as from an input method.
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("Mößbauer µT"));
        QApplication::sendEvent(rig.window->Edit2, &typed);
        QCOMPARE(rig.window->Edit2->text(), QStringLiteral("Mößbauer µT"));
        QCOMPARE(rig.window->Edit1->text(), QStringLiteral("11"));
        QTest::mouseClick(rig.window->Button1, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(rig.remarks.text()), QStringLiteral("Mößbauer µT"));
    }

    void failedLogLineIsShownAndTheRemarkKept() {
        RemarksRig rig;
        rig.window->Remarks1Click();
        QTest::keyClicks(rig.window->Edit2, QStringLiteral("site 9"));
        rig.log.failCount = 1;
        zuva::dialogs_test::MessageBoxCatcher boxes;
        QTest::mouseClick(rig.window->Button1, Qt::LeftButton);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("I/O error 30")});
        QCOMPARE(rig.remarks.text(), std::string("site 9"));
        QVERIFY(!rig.window->isVisible());
    }

    void confirmLayout() {
        ConfirmRig rig("x");
        Tconfirm& w = *rig.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Confirm"));
        QCOMPARE(w.size(), QSize(420, 156));
        QVERIFY(w.isModal());
        auto* label = w.findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), QStringLiteral("Confirm or clear remarks?"));
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pixelSize(), 16);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(w.Edit2->maxLength(), 1024);
        w.show();
        QVERIFY(w.Button1->x() < w.Button2->x());
        w.hide();
    }

    void confirmWithoutRemarkShowsNothing() {
        ConfirmRig rig("");
        bool modalSeen = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] { modalSeen = modalSeen || QApplication::activeModalWidget() != nullptr; });
        probe.start(1);
        rig.window->confirm();
        QVERIFY(!modalSeen);
        QVERIFY(!rig.window->isVisible());
        QVERIFY(rig.log.lines.empty());
    }

    void confirmOkKeepsTheEditedRemark() {
        ConfirmRig rig("site 4");
        QString shown;
        whenModal([&] {
            shown = rig.window->Edit2->text();
            retype(rig.window->Edit2, QStringLiteral("site 5"));
            QTest::mouseClick(rig.window->Button1, Qt::LeftButton);
        });
        rig.window->confirm();
        QCOMPARE(shown, QStringLiteral("site 4"));
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(rig.remarks.text(), std::string("site 5"));
        QCOMPARE(rig.log.lines, std::vector<std::string>{"Remarks= site 5"});
    }

    void confirmClearAndCloseBox_data() {
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QString>("remark");
        QTest::newRow("Clear") << true << "";
        QTest::newRow("close box") << false << "site 4";
    }
    void confirmClearAndCloseBox() {
        QFETCH(bool, clear);
        QFETCH(QString, remark);
        ConfirmRig rig("site 4");
        whenModal([&] {
            retype(rig.window->Edit2, QStringLiteral("edited"));
            if (clear) {
                QTest::mouseClick(rig.window->Button2, Qt::LeftButton);
            } else {
                rig.window->close();
            }
        });
        rig.window->confirm();
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(QString::fromStdString(rig.remarks.text()), remark);
        QVERIFY(rig.log.lines.empty());
        QVERIFY(!rig.model->visible());
    }

    void screenshots() {
        RemarksRig remarks;
        remarks.remarks.set("site 4, sensor north");
        remarks.window->Remarks1Click();
        QVERIFY(zuva::dialogs_test::saveScreenshot(*remarks.window, QStringLiteral("/tmp/zuva-remarks.png")));
        ConfirmRig confirm("site 4, sensor north");
        confirm.model->open();
        confirm.window->refresh();
        confirm.window->show();
        QVERIFY(zuva::dialogs_test::saveScreenshot(*confirm.window, QStringLiteral("/tmp/zuva-confirm.png")));
        confirm.window->hide();
    }
};

QTEST_MAIN(RemarksDialogsTest)
#include "RemarksDialogsTest.moc"

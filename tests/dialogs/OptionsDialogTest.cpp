#include <memory>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogTestSupport.h"
#include "fakes/RecordingLog.h"
#include "settings/OptionsModel.h"
#include "settings/SettingsFile.h"
#include "settings/dialogs/TOptions.h"

using zuva::dialogs_test::MessageBoxCatcher;
using zuva::dialogs_test::userPicks;
using zuva::settings::OptionsHooks;
using zuva::settings::OptionsModel;
using zuva::settings::SettingsFile;
using zuva::settings::TOptions;

namespace {

// The Options model over a settings file of its own, with the window bound to it.
struct OptionsRig {
    explicit OptionsRig(const QString& iniPath, const QString& iniText = {}) {
        if (!iniText.isEmpty()) {
            QFile ini(iniPath);
            if (ini.open(QIODevice::WriteOnly)) ini.write(iniText.toUtf8());
        }
        file = std::make_unique<SettingsFile>(iniPath.toStdString());
        OptionsHooks hooks;
        hooks.changed = [this] {
            if (window) window->refresh();
        };
        model = std::make_unique<OptionsModel>(*file, log, '.', hooks);
        model->FormCreate();
        window = std::make_unique<TOptions>(*model);
    }

    std::string lastLog() const { return log.lines.empty() ? std::string() : log.lines.back(); }

    zuva::fakes::RecordingLog log;
    std::unique_ptr<SettingsFile> file;
    std::unique_ptr<OptionsModel> model;
    std::unique_ptr<TOptions> window;
};

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString ini() const { return dir_.filePath(QStringLiteral("zuva.ini")); }

private slots:
    void init() { QFile::remove(ini()); }

    void showsTheSettingsReadAtCreation() {
        OptionsRig rig(ini(), QStringLiteral("[Config]\nsensitivity=2,393E-5\nSamplingRate=8\nStart=Yes\n"));
        TOptions& w = *rig.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(w.size(), QSize(TOptions::kWidth, TOptions::kHeight));
        QCOMPARE(w.ComboBox2->count(), 9);
        QCOMPARE(w.ComboBox2->currentText(), QStringLiteral("256"));
        QCOMPARE(w.Edit1->text(), QStringLiteral("2.393E-5"));
        QVERIFY(w.CheckBox1->isChecked());
        QVERIFY(w.RadioButton1->isChecked());
        QVERIFY(!w.RadioButton2->isChecked());
        QCOMPARE(w.ComboBox5->currentText(), QStringLiteral("1"));
        // Enabled at creation even at 256 Hz: the rate rule only acts on a change.
        QVERIFY(w.ComboBox5->isEnabled());
        QVERIFY(!w.isVisible());
    }

    void rateRule_data() {
        QTest::addColumn<int>("minutesIndex");
        QTest::addColumn<int>("earlierRate");
        QTest::addColumn<int>("rateIndex");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<bool>("minutesEnabled");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("log");
        QTest::newRow("128 Hz at 10 minutes") << 1 << -1 << 7 << "1" << false << 7680 << "Sampling rate: 128";
        QTest::newRow("256 Hz at 60 minutes") << 2 << -1 << 8 << "1" << false << 15360 << "Sampling rate: 256";
        QTest::newRow("64 Hz after 256 Hz") << 0 << 8 << 6 << "1" << true << 3840 << "Sampling rate: 64";
        QTest::newRow("32 Hz keeps 10 minutes") << 1 << -1 << 5 << "10" << true << 19200 << "Sampling rate: 32";
    }
    void rateRule() {
        QFETCH(int, minutesIndex);
        QFETCH(int, earlierRate);
        QFETCH(int, rateIndex);
        QFETCH(QString, minutes);
        QFETCH(bool, minutesEnabled);
        QFETCH(int, points);
        QFETCH(QString, log);
        OptionsRig rig(ini());
        TOptions& w = *rig.window;
        userPicks(w.ComboBox5, minutesIndex);
        if (earlierRate >= 0) userPicks(w.ComboBox2, earlierRate);
        userPicks(w.ComboBox2, rateIndex);
        QCOMPARE(w.ComboBox5->currentText(), minutes);
        QCOMPARE(w.ComboBox5->isEnabled(), minutesEnabled);
        QCOMPARE(rig.model->pointsOnScreen(), points);
        QCOMPARE(QString::fromStdString(rig.lastLog()), log);
    }

    void minutesPickLogsAndSetsPoints() {
        OptionsRig rig(ini());
        userPicks(rig.window->ComboBox5, 1);
        QCOMPARE(QString::fromStdString(rig.lastLog()), QStringLiteral("Minutes on screen: 10"));
        QCOMPARE(rig.model->pointsOnScreen(), 64 * 10 * 60);
    }

    void apply_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("sensitivity");
        QTest::addColumn<QString>("stored");
        QTest::newRow("full stop") << "0.5" << "0.5" << 0.5 << "0.5";
        QTest::newRow("decimal comma") << "0,5" << "1" << 1.0 << "1";
        QTest::newRow("empty") << "" << "1" << 1.0 << "1";
        QTest::newRow("exponent") << "2.5e-3" << "2.5e-3" << 0.0025 << "0.0025";
        QTest::newRow("letters") << "abc" << "1" << 1.0 << "1";
        QTest::newRow("comma with exponent") << "2,5E-5" << "1" << 1.0 << "1";
    }
    void apply() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(double, sensitivity);
        QFETCH(QString, stored);
        OptionsRig rig(ini());
        TOptions& w = *rig.window;
        w.Edit1->selectAll();
        QTest::keyClick(w.Edit1, Qt::Key_Backspace);
        QTest::keyClicks(w.Edit1, typed);
        QCOMPARE(QString::fromStdString(rig.model->sensitivityText()), typed);
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QCOMPARE(w.Edit1->text(), shown);
        QCOMPARE(rig.model->sensitivity(), sensitivity);
        QCOMPARE(QString::fromStdString(rig.file->readConfig("sensitivity", "missing")), stored);
        QCOMPARE(QString::fromStdString(rig.file->readConfig("SamplingRate", "missing")), QStringLiteral("6"));
        // A refused text is marked in the field and named in its tooltip and the log.
        const bool refused = shown != typed;
        QCOMPARE(!w.Edit1->styleSheet().isEmpty(), refused);
        QCOMPARE(w.Edit1->toolTip(), refused ? TOptions::rejectedSensitivityToolTip(typed) : QString());
        if (refused) {
            QCOMPARE(QString::fromStdString(rig.lastLog()),
                     QStringLiteral("Sensitivity: \"%1\" is not a number with a full stop; 1 nT/bit is used").arg(typed));
            QCOMPARE(w.Edit1->toolTip(),
                     QStringLiteral("\"%1\" is not a number with a full stop (such as 2.393E-5); 1 nT/bit is used").arg(typed));
            // Typing again takes the mark away.
            QTest::keyClicks(w.Edit1, "2");
            QVERIFY(w.Edit1->styleSheet().isEmpty());
            QCOMPARE(w.Edit1->toolTip(), QString());
        }
    }

    void refusedApplyIsShownAndTheValueKept() {
        OptionsRig rig(dir_.filePath(QStringLiteral("no-such-dir/zuva.ini")));
        TOptions& w = *rig.window;
        w.Edit1->selectAll();
        QTest::keyClicks(w.Edit1, QStringLiteral("0.25"));
        MessageBoxCatcher boxes;
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.front().startsWith(QStringLiteral("Unable to write to ") + dir_.filePath("no-such-dir/zuva.ini")),
                 qPrintable(boxes.texts.front()));
        QCOMPARE(rig.model->sensitivity(), 0.25);
        QCOMPARE(w.Edit1->text(), QStringLiteral("0.25"));
    }

    void runControlsFollowTheModel() {
        OptionsRig rig(ini());
        TOptions& w = *rig.window;
        rig.model->setRunControlsEnabled(false);
        QVERIFY(!w.ComboBox2->isEnabled());
        QVERIFY(!w.Edit1->isEnabled());
        QVERIFY(!w.Button1->isEnabled());
        QVERIFY(!w.CheckBox1->isEnabled());
        QVERIFY(w.ComboBox5->isEnabled());
        QVERIFY(w.RadioButton2->isEnabled());
        QVERIFY(w.Button2->isEnabled());
        rig.model->setRunControlsEnabled(true);
        QVERIFY(w.ComboBox2->isEnabled() && w.Edit1->isEnabled() && w.Button1->isEnabled() && w.CheckBox1->isEnabled());
    }

    void rotationAutostartAndOk() {
        OptionsRig rig(ini());
        TOptions& w = *rig.window;
        w.Options1Click();
        QVERIFY(w.isVisible());
        w.RadioButton2->click();
        QVERIFY(rig.model->everyHour());
        QCOMPARE(QString::fromStdString(rig.lastLog()), QStringLiteral("Open new file: Every hour"));
        w.RadioButton1->click();
        QVERIFY(!rig.model->everyHour());
        QCOMPARE(QString::fromStdString(rig.lastLog()), QStringLiteral("Open new file: Every midnight"));
        w.CheckBox1->click();
        QVERIFY(rig.model->autostart());
        QTest::mouseClick(w.Button2, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QVERIFY(!rig.model->visible());
    }

    void screenshot() {
        OptionsRig rig(ini());
        rig.window->Options1Click();
        QVERIFY(zuva::dialogs_test::saveScreenshot(*rig.window, QStringLiteral("/tmp/zuva-options.png")));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"

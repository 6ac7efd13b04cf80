#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include "config/ConfigKeys.h"
#include "support/ModalDriver.h"
#include "support/TestSupport.h"
#include "ui/CalibrationDialogs.h"
#include "ui/MainWindowTemplate.h"
#include "ui/SettingsDlg.h"
#include "ui/WindowMenu.h"

using namespace zenko;
using test::WhenModalOpens;
using test::WindowFixture;

namespace {

QAction* MenuCommand(const WindowFixture& fixture, int id) {
    return fixture.window->menuBar()->findChild<QAction*>(QStringLiteral("cmd%1").arg(id));
}

QLineEdit* Edit(QDialog* dialog, int id) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id));
}

void Press(QDialog* dialog, int id) {
    dialog->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id))->click();
}

// The default board addresses are data here: nothing is sent to them.
const QByteArray kAllFifteenDefaults = "[ZENKO]\n"
                                       "Bin_Set_Value_Receiving_Port=10005\n"
                                       "Asc_Set_Value_Receiving_Port=10006\n"
                                       "PICNIC_IP_1=" +
                                       config::defaults::PicnicIp1.toUtf8() +
                                       "\nPICNIC_IP_2=" + config::defaults::PicnicIp2.toUtf8() +
                                       "\nPICNIC_IP_3=" + config::defaults::PicnicIp3.toUtf8() +
                                       "\n"
                                       "PICNIC_PARA_PORT=10001\n"
                                       "Control_Interval=2\n"
                                       "Local_Remote_Selector=1\n"
                                       "Local_Set_1_Text=CS放送\n"
                                       "Local_Set_1_Az_Ang=222.23\n"
                                       "Local_Set_1_El_Ang=22.23\n"
                                       "Local_Set_Az_Ang=180\n"
                                       "Local_Set_El_Ang=0\n"
                                       "Az_Out_On=1\n"
                                       "El_Out_On=1\n";

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void calibrationDialogsShowTheStoredPoint_data();
    void calibrationDialogsShowTheStoredPoint();
    void calibrationOkHandsTheTextsAsTyped();
    void calibrationCancelChangesNothing();
    void calibrationDialogFillsTheTemplateItIsGiven();
    void settingsOkWritesAllFifteenKeysInOrder();
    void settingsKeepsWhatTheFileHolds();
    void settingsRefusesAFieldAndStaysOpen_data();
    void settingsRefusesAFieldAndStaysOpen();
    void settingsCancelWritesNothing();
    void failedSettingsSaveIsToldOnce();
    void windowMenuEndsWithTheAboutItem();
};

void DialogsTest::calibrationDialogsShowTheStoredPoint_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("point 1") << ui::cmd::CalPoint1 << "校正-１"
                             << QList<int>{ui::ctl::Cal1AzAngle, ui::ctl::Cal1ElAngle,
                                           ui::ctl::Cal1AzVolt, ui::ctl::Cal1ElVolt}
                             << QStringList{"    0.00", "    0.00", "   0.000", "   0.000"};
    QTest::newRow("point 2") << ui::cmd::CalPoint2 << "校正-２"
                             << QList<int>{ui::ctl::Cal2AzAngle, ui::ctl::Cal2ElAngle,
                                           ui::ctl::Cal2AzVolt, ui::ctl::Cal2ElVolt}
                             << QStringList{"  180.00", "   90.00", "   4.500", "   4.500"};
}

void DialogsTest::calibrationDialogsShowTheStoredPoint() {
    QFETCH(int, command);
    QFETCH(QString, caption);
    QFETCH(QList<int>, ids);
    QFETCH(QStringList, texts);
    WindowFixture fixture;
    QStringList shown;
    QString title;
    QString focused;
    WhenModalOpens([&](QDialog* dialog) {
        title = dialog->windowTitle();
        for (int id : ids) {
            shown << Edit(dialog, id)->text();
        }
        focused = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
        dialog->reject();
    });
    MenuCommand(fixture, command)->trigger();
    QCOMPARE(title, caption);
    QCOMPARE(shown, texts);
    QCOMPARE(focused, QStringLiteral("ctl1"));
}

void DialogsTest::calibrationOkHandsTheTextsAsTyped() {
    WindowFixture fixture;
    WhenModalOpens([](QDialog* dialog) {
        Edit(dialog, ui::ctl::Cal1AzAngle)->setText(QStringLiteral(" 12.5 "));
        Press(dialog, ui::kIdOk);
    });
    MenuCommand(fixture, ui::cmd::CalPoint1)->trigger();
    QCOMPARE(fixture.window->m_dCalAzAng1, 12.5);
    QCOMPARE(test::ReadFile(fixture.profile.path()),
             QByteArray("[ZENKO]\nCal_Az_Ang_1= 12.5 \nCal_Az_Volt_1=   0.000\n"
                        "Cal_El_Ang_1=    0.00\nCal_El_Volt_1=   0.000\n"));
    QVERIFY(fixture.messages.messages.isEmpty());
}

void DialogsTest::calibrationCancelChangesNothing() {
    WindowFixture fixture;
    int opened = 0;
    for (int way = 0; way < 3; ++way) {
        WhenModalOpens([way, &opened](QDialog* dialog) {
            ++opened;
            Edit(dialog, ui::ctl::Cal2AzAngle)->setText(QStringLiteral("1"));
            Edit(dialog, ui::ctl::Cal2AzVolt)->setText(QStringLiteral("1"));
            if (way == 0) {
                Press(dialog, ui::kIdCancel);
            } else if (way == 1) {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                dialog->close();
            }
        });
        MenuCommand(fixture, ui::cmd::CalPoint2)->trigger();
        QCOMPARE(opened, way + 1);
    }
    QCOMPARE(fixture.window->m_dCalAzAng2, 180.0);
    QVERIFY(!QFile::exists(fixture.profile.path()));
}

void DialogsTest::calibrationDialogFillsTheTemplateItIsGiven() {
    WindowFixture fixture;
    fixture.window->m_dCalAzAng1 = 12.5;
    ui::CalibrationPointDialog dialog(1, ui::CalPoint2Template(), fixture.window.get());
    dialog.m_pOwner = fixture.window.get();
    dialog.show();
    QCOMPARE(Edit(&dialog, ui::ctl::Cal2AzAngle)->text(), QStringLiteral("   12.50"));
}

void DialogsTest::settingsOkWritesAllFifteenKeysInOrder() {
    WindowFixture fixture;
    QString azPreset;
    WhenModalOpens([&](QDialog* dialog) {
        azPreset = Edit(dialog, ui::ctl::SettingsPreset1Az)->text();
        Press(dialog, ui::kIdOk);
    });
    MenuCommand(fixture, ui::cmd::Settings)->trigger();
    QCOMPARE(azPreset, QStringLiteral("222.23"));
    QCOMPARE(test::ReadFile(fixture.profile.path()), kAllFifteenDefaults);
    // The running window keeps what it read at start-up.
    QCOMPARE(fixture.text(ui::ctl::Preset1Az), QStringLiteral("222.22"));
}

void DialogsTest::settingsKeepsWhatTheFileHolds() {
    const QByteArray ini = "; keep me\n[ZENKO]\nAz_Out_On=2\nCal_Az_Volt_2=4.4\n"
                           "PICNIC_PARA_PORT=40000\n[Other]\nx=1\n";
    WindowFixture fixture(&ini);
    QString azOut;
    QString port;
    WhenModalOpens([&](QDialog* dialog) {
        azOut = Edit(dialog, ui::ctl::SettingsAzOut)->text();
        port = Edit(dialog, ui::ctl::SettingsPicnicPort)->text();
        Edit(dialog, ui::ctl::SettingsPicnicPort)->setText(QStringLiteral("10001"));
        Edit(dialog, ui::ctl::SettingsSelector)->setText(QStringLiteral("7"));
        Edit(dialog, ui::ctl::SettingsControlInterval)->setText(QStringLiteral("-3"));
        Press(dialog, ui::kIdOk);
    });
    MenuCommand(fixture, ui::cmd::Settings)->trigger();
    QCOMPARE(azOut, QStringLiteral("2"));
    QCOMPARE(port, QStringLiteral("-25536"));
    const QByteArray saved = test::ReadFile(fixture.profile.path());
    QVERIFY(saved.startsWith("; keep me\n[ZENKO]\nAz_Out_On=2\nCal_Az_Volt_2=4.4\n"
                             "PICNIC_PARA_PORT=10001\n"));
    QVERIFY(saved.contains("Local_Remote_Selector=7\n"));
    QVERIFY(saved.contains("Control_Interval=-3\n"));
    QVERIFY(saved.endsWith("[Other]\nx=1\n"));
    QCOMPARE(fixture.window->m_nControlInterval, 2u);
}

void DialogsTest::settingsRefusesAFieldAndStaysOpen_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("port beyond 16 bits") << ui::ctl::SettingsPicnicPort << "40000"
                                         << "整数を入力してください。";
    QTest::newRow("azimuth output negative") << ui::ctl::SettingsAzOut << "-1"
                                             << "正の整数を入力してください。";
    QTest::newRow("selector letters") << ui::ctl::SettingsSelector << "one"
                                      << "整数を入力してください。";
    QTest::newRow("ascii port fraction") << ui::ctl::SettingsAscPort << "1.5"
                                         << "整数を入力してください。";
}

void DialogsTest::settingsRefusesAFieldAndStaysOpen() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    WindowFixture fixture;
    bool stayedOpen = false;
    QString focused;
    QString selected;
    WhenModalOpens([&](QDialog* dialog) {
        Edit(dialog, field)->setText(typed);
        Edit(dialog, ui::ctl::SettingsElOut)->setText(QStringLiteral("-1"));
        Press(dialog, ui::kIdOk);
        stayedOpen = dialog->isVisible();
        // The dialog's own focus, which does not wait for the window system to activate it.
        focused = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
        selected = Edit(dialog, field)->selectedText();
        dialog->reject();
    });
    MenuCommand(fixture, ui::cmd::Settings)->trigger();
    QVERIFY(stayedOpen);
    QCOMPARE(fixture.messages.messages, QStringList{message});
    QCOMPARE(focused, QStringLiteral("ctl%1").arg(field));
    QCOMPARE(selected, typed);
    QVERIFY(!QFile::exists(fixture.profile.path()));
}

void DialogsTest::settingsCancelWritesNothing() {
    const QByteArray ini = "[ZENKO]\nControl_Interval=5\n";
    WindowFixture fixture(&ini);
    bool opened = false;
    WhenModalOpens([&opened](QDialog* dialog) {
        opened = true;
        Edit(dialog, ui::ctl::SettingsControlInterval)->setText(QStringLiteral("9"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    MenuCommand(fixture, ui::cmd::Settings)->trigger();
    QVERIFY(opened);
    QCOMPARE(test::ReadFile(fixture.profile.path()), ini);
}

void DialogsTest::failedSettingsSaveIsToldOnce() {
    WindowFixture fixture;
    QVERIFY(QDir().mkpath(fixture.profile.path()));
    WhenModalOpens([](QDialog* dialog) { Press(dialog, ui::kIdOk); });
    MenuCommand(fixture, ui::cmd::Settings)->trigger();
    QCOMPARE(fixture.messages.messages,
             QStringList{QStringLiteral("Configuration file write error !")});
}

void DialogsTest::windowMenuEndsWithTheAboutItem() {
    WindowFixture fixture;
    const QList<QAction*> actions = fixture.window->windowMenu()->actions();
    QVERIFY(actions.size() >= 3);
    QCOMPARE(actions.last()->text(), QStringLiteral("ZENKO のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    QVERIFY(actions[actions.size() - 2]->isSeparator());
    QString title;
    QString label;
    WhenModalOpens([&](QDialog* dialog) {
        title = dialog->windowTitle();
        for (auto* text : dialog->findChildren<QLabel*>()) {
            label += text->text();
        }
        Press(dialog, ui::kIdOk);
    });
    actions.last()->trigger();
    QCOMPARE(title, QStringLiteral("ZENKOのﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(label, QStringLiteral("ZENKO Version 1.00"));
    // Only the About command opens anything.
    fixture.window->OnSysCommand(0xF060 + 5);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(DialogsTest)
#include "Dialogs_qtest.moc"

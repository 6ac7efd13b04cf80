#include <cfloat>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "config/ConfigKeys.h"
#include "support/TestSupport.h"
#include "ui/MainWindowTemplate.h"
#include "ui/UpDownControl.h"

using namespace zenko;
using test::WindowFixture;

namespace {

QByteArray Ini(const QByteArray& body) {
    return "[ZENKO]\n" + body;
}

template <class T> T* Control(const WindowFixture& fixture, int id) {
    return fixture.window->controls().get<T>(id);
}

bool Checked(const WindowFixture& fixture, int id) {
    return Control<QAbstractButton>(fixture, id)->isChecked();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void buildsEveryControlOfTheTemplate();
    void tabOrderIsCreationOrder();
    void startsWithTheMainWindowDefaultsWithoutAFile();
    void loadsTheFile_data();
    void loadsTheFile();
    void hugeCalibrationValuesAreHeldAtTheLargestDouble();
    void readRefusesAFieldAndStopsThere_data();
    void readRefusesAFieldAndStopsThere();
    void readStoresEveryBoundValue();
    void controlIntervalFollowsItsTextAtOnce_data();
    void controlIntervalFollowsItsTextAtOnce();
    void everyTimerMessageTakesTheLocalSetValues();
    void selectorRadiosSetTheTargets();
    void remoteRadioTakesTheCurrentAngles();
    void comboShowSelectsOnlyAnEqualEntry_data();
    void comboShowSelectsOnlyAnEqualEntry();
    void enterInAFieldNeverEndsTheProgram();
    void escapeAndCloseTakeTheExitSteps();
    void exitWithARefusedFieldStaysOpen();
    void spinButtonsStepWithinTheirRange();
};

void MainWindowTest::buildsEveryControlOfTheTemplate() {
    WindowFixture fixture;
    const auto& controls = fixture.window->controls();
    QCOMPARE(controls.inCreationOrder().size(), std::size_t{59});
    for (const ui::ControlSpec& spec : ui::MainWindowTemplate().controls) {
        if (spec.id != ui::kNoId) {
            QWidget* control = controls.find(spec.id);
            QVERIFY2(control != nullptr, qPrintable(QString::number(spec.id)));
            QCOMPARE(control->objectName(), QStringLiteral("ctl%1").arg(spec.id));
        }
    }
    QCOMPARE(Control<QPushButton>(fixture, ui::ctl::Start)->text(), QStringLiteral("開始"));
    QCOMPARE(Control<QPushButton>(fixture, ui::ctl::Stop)->text(), QStringLiteral("停止"));
    QCOMPARE(Control<QPushButton>(fixture, ui::ctl::Exit)->text(), QStringLiteral("終了"));
    for (int id : {ui::ctl::Preset1Text, ui::ctl::Preset1Az, ui::ctl::Preset1El}) {
        QVERIFY(Control<QLineEdit>(fixture, id)->isReadOnly());
    }
    QVERIFY(!Control<QLineEdit>(fixture, ui::ctl::AzAngle)->isReadOnly());
    QVERIFY(Control<QComboBox>(fixture, ui::ctl::PicnicIp)->isEditable());
    QCOMPARE(Control<QLineEdit>(fixture, ui::ctl::BinPort)->alignment(), Qt::AlignCenter);
    QCOMPARE(Control<QLineEdit>(fixture, ui::ctl::AzAngle)->accessibleName(),
             QStringLiteral("現在値 方位角（度）"));

    auto* azSpin = Control<ui::UpDownControl>(fixture, ui::ctl::LocalAzSpin);
    auto* elSpin = Control<ui::UpDownControl>(fixture, ui::ctl::LocalElSpin);
    QCOMPARE(azSpin->buddy(), Control<QLineEdit>(fixture, ui::ctl::LocalAz));
    QCOMPARE(elSpin->buddy(), Control<QLineEdit>(fixture, ui::ctl::LocalEl));
    QCOMPARE(std::pair(azSpin->lower(), azSpin->upper()), std::pair(-360, 360));
    QCOMPARE(std::pair(elSpin->lower(), elSpin->upper()), std::pair(-90, 90));

    const QList<QAction*> menu = fixture.window->menuBar()->actions();
    QCOMPARE(menu.size(), 3);
    QCOMPARE(menu[0]->text(), QStringLiteral("初期設定　"));
    QCOMPARE(menu[1]->text(), QStringLiteral("校正－１"));
    QCOMPARE(menu[2]->text(), QStringLiteral("校正－２"));
    QVERIFY(menu[0]->menu() == nullptr);
}

void MainWindowTest::tabOrderIsCreationOrder() {
    WindowFixture fixture;
    QList<QWidget*> expected;
    for (QWidget* control : fixture.window->controls().inCreationOrder()) {
        if (control->focusPolicy() & Qt::TabFocus) {
            expected << control;
        }
    }
    const QList<int> tabStops{1017, 1019, 1022, 1030, 1000, 1001, 1002, 1003, 1004,
                              1023, 1024, 1005, 1006, 1025, 1007, 1008, 1026, 1028,
                              1029, 1063, 1064, 1065, 1009, 1010, 1011, 1012, 1070};
    QCOMPARE(expected.size(), tabStops.size());
    for (qsizetype i = 0; i < tabStops.size(); ++i) {
        QCOMPARE(expected[i], fixture.window->controls().find(tabStops[i]));
    }
    // Following the focus chain visits them in the same order.
    QWidget* current = expected.first();
    for (qsizetype i = 1; i < expected.size(); ++i) {
        do {
            current = current->nextInFocusChain();
        } while (!(current->focusPolicy() & Qt::TabFocus) || !expected.contains(current));
        QCOMPARE(current, expected[i]);
    }
}

void MainWindowTest::startsWithTheMainWindowDefaultsWithoutAFile() {
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("アンテナコントローラ"));
    QVERIFY(!QFile::exists(fixture.profile.path()));
    const std::pair<int, QString> shown[] = {
        {ui::ctl::BinPort, "10005"},
        {ui::ctl::AscPort, "10006"},
        {ui::ctl::PicnicIp, config::defaults::PicnicIp1},
        {ui::ctl::PicnicPort, "10001"},
        {ui::ctl::ControlInterval, "2"},
        {ui::ctl::Preset1Text, "CS放送"},
        {ui::ctl::Preset1Az, "222.22"},
        {ui::ctl::Preset1El, "22.22"},
        {ui::ctl::LocalAz, "180"},
        {ui::ctl::LocalEl, "0"},
        {ui::ctl::RemoteAz, "0.00"},
        {ui::ctl::RemoteEl, "0.00"},
        {ui::ctl::AzDrivePos, "0"},
        {ui::ctl::AzDriveNeg, "0"},
        {ui::ctl::ElDrivePos, "0"},
        {ui::ctl::ElDriveNeg, "0"},
        {ui::ctl::AzAngle, ""},
        {ui::ctl::AzVolt, ""},
        {ui::ctl::ElError, ""},
    };
    for (const auto& [id, text] : shown) {
        QVERIFY2(fixture.text(id) == text,
                 qPrintable(QStringLiteral("%1: %2").arg(id).arg(fixture.text(id))));
    }
    auto* combo = Control<QComboBox>(fixture, ui::ctl::PicnicIp);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(2), config::defaults::PicnicIp3);
    QVERIFY(Checked(fixture, ui::ctl::RadioPreset1));
    QVERIFY(Checked(fixture, ui::ctl::AzOut) && Checked(fixture, ui::ctl::ElOut));
    QVERIFY(Control<QWidget>(fixture, ui::ctl::Start)->isEnabled());
    QVERIFY(!Control<QWidget>(fixture, ui::ctl::Stop)->isEnabled());
    QVERIFY(Control<QWidget>(fixture, ui::ctl::Exit)->isEnabled());
    QCOMPARE(w.m_nSelector, 1);
    QCOMPARE(w.m_dPreset1Az, 222.22);
    QCOMPARE(w.m_dPreset1El, 22.22);
    QCOMPARE(w.m_nControlInterval, 2u);
    QCOMPARE((std::array{w.m_dCalAzAng1, w.m_dCalAzVolt1, w.m_dCalElAng1, w.m_dCalElVolt1,
                         w.m_dCalAzAng2, w.m_dCalAzVolt2, w.m_dCalElAng2, w.m_dCalElVolt2}),
             (std::array{0.0, 0.0, 0.0, 0.0, 180.0, 4.5, 90.0, 4.5}));
    // The targets wait for the first control step.
    QCOMPARE(w.m_dAzTarget, 0.0);
    QVERIFY(!w.m_bRunning);
    QVERIFY(fixture.messages.messages.isEmpty());
}

void MainWindowTest::loadsTheFile_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("controlId");
    QTest::addColumn<QString>("shown");
    QTest::newRow("port 65535 is held as -1")
        << QByteArray("Bin_Set_Value_Receiving_Port=65535") << ui::ctl::BinPort << "-1";
    QTest::newRow("port 40000 is held as -25536")
        << QByteArray("PICNIC_PARA_PORT=40000") << ui::ctl::PicnicPort << "-25536";
    QTest::newRow("ascii port") << QByteArray("Asc_Set_Value_Receiving_Port=0") << ui::ctl::AscPort
                                << "0";
    QTest::newRow("preset text that is no number")
        << QByteArray("Local_Set_1_Az_Ang=abc") << ui::ctl::Preset1Az << "abc";
    QTest::newRow("quoted preset name")
        << QByteArray("local_set_1_text = \"BS 110\"") << ui::ctl::Preset1Text << "BS 110";
    QTest::newRow("local azimuth beyond the spin range")
        << QByteArray("Local_Set_Az_Ang=500") << ui::ctl::LocalAz << "500";
    QTest::newRow("negative control interval shows unsigned")
        << QByteArray("Control_Interval=-1") << ui::ctl::ControlInterval << "4294967295";
    QTest::newRow("board address")
        << QByteArray("PICNIC_IP_1=127.0.0.1") << ui::ctl::PicnicIp << "127.0.0.1";
}

void MainWindowTest::loadsTheFile() {
    QFETCH(QByteArray, body);
    QFETCH(int, controlId);
    QFETCH(QString, shown);
    const QByteArray ini = Ini(body + "\n");
    WindowFixture fixture(&ini);
    QCOMPARE(fixture.text(controlId), shown);
}

// Neither infinity, which would turn every later angle into NaN, nor the 0 of a refused number.
void MainWindowTest::hugeCalibrationValuesAreHeldAtTheLargestDouble() {
    const QByteArray ini = Ini("Cal_Az_Volt_2=1e400\nCal_El_Ang_1=-1e400\n");
    WindowFixture fixture(&ini);
    QCOMPARE(fixture.window->m_dCalAzVolt2, DBL_MAX);
    QCOMPARE(fixture.window->m_dCalElAng1, -DBL_MAX);
}

void MainWindowTest::readRefusesAFieldAndStopsThere_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString integer = QStringLiteral("整数を入力してください。");
    const QString positive = QStringLiteral("正の整数を入力してください。");
    QTest::newRow("interval with a fraction") << ui::ctl::ControlInterval << "3.5" << positive;
    QTest::newRow("interval with a minus") << ui::ctl::ControlInterval << "-1" << positive;
    QTest::newRow("interval empty") << ui::ctl::ControlInterval << "" << positive;
    QTest::newRow("local azimuth letters") << ui::ctl::LocalAz << "abc" << integer;
    QTest::newRow("drive time letters") << ui::ctl::AzDriveNeg << "x" << integer;
    QTest::newRow("board port beyond 16 bits") << ui::ctl::PicnicPort << "40000" << integer;
    QTest::newRow("binary port minus zero") << ui::ctl::BinPort << "-0" << integer;
    QTest::newRow("ascii port trailing text") << ui::ctl::AscPort << "10006a" << integer;
}

void MainWindowTest::readRefusesAFieldAndStopsThere() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // Values typed before the refused field are stored; those after it are not read.
    fixture.setText(ui::ctl::PicnicIp, QStringLiteral("127.0.0.9"));
    fixture.setText(ui::ctl::ElVolt, QStringLiteral("after"));
    fixture.setText(field, typed);
    QVERIFY(!w.ReadControls());
    QCOMPARE(fixture.messages.messages, QStringList{message});
    auto* edit = Control<QLineEdit>(fixture, field);
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), typed);
    if (field != ui::ctl::ControlInterval) {
        QCOMPARE(w.m_strPicnicIp, QStringLiteral("127.0.0.9"));
    }
    QCOMPARE(w.m_strElVolt, QString());
}

void MainWindowTest::readStoresEveryBoundValue() {
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    fixture.setText(ui::ctl::ControlInterval, QStringLiteral(" 7\t"));
    fixture.setText(ui::ctl::PicnicIp, QStringLiteral("127.0.0.2"));
    fixture.setText(ui::ctl::LocalAz, QStringLiteral("-400"));
    fixture.setText(ui::ctl::BinPort, QStringLiteral("-32768"));
    fixture.setText(ui::ctl::AscPort, QStringLiteral("32767"));
    fixture.setText(ui::ctl::AzAngle, QStringLiteral("  12.50"));
    fixture.setText(ui::ctl::AzDrivePos, QStringLiteral("99999999999"));
    Control<QCheckBox>(fixture, ui::ctl::ElOut)->setChecked(false);
    QVERIFY(w.ReadControls());
    QCOMPARE(w.m_nControlInterval, 7u);
    QCOMPARE(w.m_strPicnicIp, QStringLiteral("127.0.0.2"));
    QCOMPARE(w.m_nLocalSetAz, -400);
    QCOMPARE(w.m_nBinPort, std::int16_t{-32768});
    QCOMPARE(w.m_nAscPort, std::int16_t{32767});
    QCOMPARE(w.m_strAzAngle, QStringLiteral("  12.50"));
    QCOMPARE(w.m_nAzDrivePos, 2147483647);
    QCOMPARE(w.m_nElOutOn, 0);
    QCOMPARE(w.m_nAzOutOn, 1);
    QVERIFY(fixture.messages.messages.isEmpty());
}

void MainWindowTest::controlIntervalFollowsItsTextAtOnce_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<uint>("interval");
    QTest::newRow("fraction") << "3.5" << 3u;
    QTest::newRow("letters") << "abc" << 0u;
    QTest::newRow("leading blanks") << "  12s" << 12u;
    QTest::newRow("minus wraps as unsigned") << "-1" << 4294967295u;
    QTest::newRow("overflow clamps") << "99999999999" << 2147483647u;
}

void MainWindowTest::controlIntervalFollowsItsTextAtOnce() {
    QFETCH(QString, typed);
    QFETCH(uint, interval);
    WindowFixture fixture;
    fixture.setText(ui::ctl::ControlInterval, typed);
    QCOMPARE(fixture.window->m_nControlInterval, interval);
    QVERIFY(fixture.messages.messages.isEmpty());
}

void MainWindowTest::everyTimerMessageTakesTheLocalSetValues() {
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    const struct {
        const char* az;
        const char* el;
        unsigned timerId;
        int expectedAz;
        int expectedEl;
    } cases[] = {
        {"500", "12abc", 10, 500, 12},
        {"abc", "-400", 100, 0, -400},
        {" 7", "", 12345, 7, 0},
    };
    for (const auto& c : cases) {
        fixture.setText(ui::ctl::LocalAz, QString::fromUtf8(c.az));
        fixture.setText(ui::ctl::LocalEl, QString::fromUtf8(c.el));
        w.OnTimer(c.timerId);
        QCOMPARE(w.m_nLocalSetAz, c.expectedAz);
        QCOMPARE(w.m_nLocalSetEl, c.expectedEl);
    }
}

void MainWindowTest::selectorRadiosSetTheTargets() {
    const QByteArray ini = Ini("Local_Remote_Selector=4\nLocal_Set_Az_Ang=-40\n");
    WindowFixture fixture(&ini);
    CControllerDlg& w = *fixture.window;
    QVERIFY(!Checked(fixture, ui::ctl::RadioPreset1) && !Checked(fixture, ui::ctl::RadioLocal) &&
            !Checked(fixture, ui::ctl::RadioRemote));
    QCOMPARE(w.m_nSelector, 4);
    w.SelectTarget(w.m_nSelector);
    QCOMPARE(std::pair(w.m_dAzTarget, w.m_dElTarget), std::pair(0.0, 0.0));

    QTest::mouseClick(Control<QRadioButton>(fixture, ui::ctl::RadioPreset1), Qt::LeftButton);
    QCOMPARE(w.m_nSelector, 1);
    QCOMPARE(std::pair(w.m_dAzTarget, w.m_dElTarget), std::pair(222.22, 22.22));

    QTest::mouseClick(Control<QRadioButton>(fixture, ui::ctl::RadioLocal), Qt::LeftButton);
    QCOMPARE(w.m_nSelector, 2);
    QVERIFY(!Checked(fixture, ui::ctl::RadioPreset1));
    QCOMPARE(std::pair(w.m_dAzTarget, w.m_dElTarget), std::pair(-40.0, 0.0));
}

void MainWindowTest::remoteRadioTakesTheCurrentAngles() {
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    w.m_dAzAngle = 123.456;
    w.m_dElAngle = -0.125;
    QTest::mouseClick(Control<QRadioButton>(fixture, ui::ctl::RadioRemote), Qt::LeftButton);
    QCOMPARE(w.m_nSelector, 3);
    QCOMPARE(w.m_dRemoteSetAz, 123.456);
    QCOMPARE(w.m_strRemoteSetAz, QStringLiteral("  123.46"));
    QCOMPARE(w.m_strRemoteSetEl, QStringLiteral("   -0.13"));
    QCOMPARE(std::pair(w.m_dAzTarget, w.m_dElTarget), std::pair(123.456, -0.125));
    // The readouts reach the window only at the next show.
    QCOMPARE(fixture.text(ui::ctl::RemoteAz), QStringLiteral("0.00"));
    w.ShowState();
    QCOMPARE(fixture.text(ui::ctl::RemoteAz), QStringLiteral("  123.46"));
}

void MainWindowTest::comboShowSelectsOnlyAnEqualEntry_data() {
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("index");
    QTest::newRow("prefix of a listed address stays as typed") << "127.0.0.1"
                                                               << "127.0.0.1" << -1;
    QTest::newRow("equal entry is selected") << "127.0.0.12"
                                             << "127.0.0.12" << 0;
    QTest::newRow("letters compared without case") << "LOCALHOST"
                                                   << "localhost" << 2;
    QTest::newRow("unknown text shown as typed") << "board.example"
                                                 << "board.example" << -1;
}

void MainWindowTest::comboShowSelectsOnlyAnEqualEntry() {
    QFETCH(QString, held);
    QFETCH(QString, shown);
    QFETCH(int, index);
    const QByteArray ini =
        Ini("PICNIC_IP_1=127.0.0.12\nPICNIC_IP_2=127.0.0.13\nPICNIC_IP_3=localhost\n");
    WindowFixture fixture(&ini);
    auto* combo = Control<QComboBox>(fixture, ui::ctl::PicnicIp);
    if (index < 0) {
        combo->setCurrentIndex(-1);
    }
    fixture.window->m_strPicnicIp = held;
    fixture.window->ShowState();
    QCOMPARE(combo->currentText(), shown);
    if (index >= 0) {
        QCOMPARE(combo->currentIndex(), index);
    }
    QVERIFY(fixture.window->ReadControls());
    QCOMPARE(fixture.window->m_strPicnicIp, shown);
}

void MainWindowTest::enterInAFieldNeverEndsTheProgram() {
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (int id : {ui::ctl::BinPort, ui::ctl::LocalAz, ui::ctl::ControlInterval}) {
        auto* edit = Control<QLineEdit>(fixture, id);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        QVERIFY(w.isVisible());
    }
    // Enter on a focused button presses that button, which for Exit is the operator's choice.
    Control<QPushButton>(fixture, ui::ctl::Start)->setFocus();
    Control<QLineEdit>(fixture, ui::ctl::AscPort)->setFocus();
    QTest::keyClick(Control<QLineEdit>(fixture, ui::ctl::AscPort), Qt::Key_Return);
    QVERIFY(w.isVisible());
    QVERIFY(fixture.messages.messages.isEmpty());
}

void MainWindowTest::escapeAndCloseTakeTheExitSteps() {
    for (bool viaEscape : {true, false}) {
        WindowFixture fixture;
        CControllerDlg& w = *fixture.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        fixture.setText(ui::ctl::LocalAz, QStringLiteral("42"));
        if (viaEscape) {
            QTest::keyClick(&w, Qt::Key_Escape);
        } else {
            w.close();
        }
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        // The Exit steps read the fields back.
        QCOMPARE(w.m_nLocalSetAz, 42);
    }
}

void MainWindowTest::exitWithARefusedFieldStaysOpen() {
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    fixture.setText(ui::ctl::PicnicPort, QStringLiteral("port"));
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QVERIFY(!w.close());
    QTest::mouseClick(Control<QPushButton>(fixture, ui::ctl::Exit), Qt::LeftButton);
    QVERIFY(w.isVisible());
    QCOMPARE(fixture.messages.messages.size(), 3);
    fixture.setText(ui::ctl::PicnicPort, QStringLiteral("10001"));
    QTest::mouseClick(Control<QPushButton>(fixture, ui::ctl::Exit), Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

void MainWindowTest::spinButtonsStepWithinTheirRange() {
    const QByteArray ini = Ini("Local_Set_El_Ang=89\n");
    WindowFixture fixture(&ini);
    auto* edit = Control<QLineEdit>(fixture, ui::ctl::LocalEl);
    auto* spin = Control<ui::UpDownControl>(fixture, ui::ctl::LocalElSpin);
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("90"));
    spin->stepBy(1);
    QCOMPARE(edit->text(), QStringLiteral("90"));
    // A typed number is where the next step starts from; letters leave the held position.
    edit->setText(QStringLiteral("-10"));
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(edit->text(), QStringLiteral("-11"));
    edit->setText(QStringLiteral("abc"));
    spin->stepBy(1);
    QCOMPARE(edit->text(), QStringLiteral("-10"));
    edit->setText(QStringLiteral("-500"));
    spin->stepBy(-1);
    QCOMPARE(edit->text(), QStringLiteral("-90"));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindow_qtest.moc"

#include <QMenu>
#include <QMenuBar>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QUdpSocket>
#include <QtTest>

#include "support/LinkFixture.h"
#include "support/ModalDriver.h"
#include "ui/DialogBuilder.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;
using test::LinkFixture;

// While a dialog is open over the window, its nested loop keeps the control cycle and both
// set-value services going.
class ModalLoopTest : public QObject {
    Q_OBJECT
private slots:
    void controlGoesOnWhileADialogIsOpen_data();
    void controlGoesOnWhileADialogIsOpen();
};

void ModalLoopTest::controlGoesOnWhileADialogIsOpen_data() {
    QTest::addColumn<QString>("dialog");
    for (const char* name : {"settings", "calibration 1", "calibration 2", "about"}) {
        QTest::newRow(name) << QString::fromUtf8(name);
    }
}

void ModalLoopTest::controlGoesOnWhileADialogIsOpen() {
    QFETCH(QString, dialog);
    picnic::SimulatorOptions board;
    board.model.azimuth.startAngle = 0;
    board.model.azimuth.speed = 0;
    LinkFixture link(board, "Local_Remote_Selector=3\n");
    CControllerDlg& w = link.dlg();
    w.show();
    link.start();

    qsizetype stepsSeen = 0;
    int repliesSeen = 0;
    QString readoutDuring;
    test::WhenModalOpens([&](QDialog* open) {
        link.board.clearCommands();
        QUdpSocket peer;
        peer.bind(QHostAddress::LocalHost, 0);
        peer.writeDatagram("x,10,20", QHostAddress::LocalHost, link.ascPort);
        // Long enough for a request step and a control step at an interval of 1 s.
        [[maybe_unused]] const bool done = QTest::qWaitFor(
            [&] { return peer.hasPendingDatagrams() && link.board.commands().size() >= 4; }, 4000);
        repliesSeen = peer.hasPendingDatagrams() ? 1 : 0;
        stepsSeen = link.board.commands().size();
        readoutDuring = link.window->text(ui::ctl::RemoteAz);
        open->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(ui::kIdOk))->click();
    });
    if (dialog == "settings") {
        w.menuBar()->actions()[0]->trigger();
    } else if (dialog == "calibration 1") {
        w.menuBar()->actions()[1]->trigger();
    } else if (dialog == "calibration 2") {
        w.menuBar()->actions()[2]->trigger();
    } else {
        w.windowMenu()->actions().last()->trigger();
    }
    QCOMPARE(repliesSeen, 1);
    QVERIFY2(stepsSeen >= 4, qPrintable(QString::number(stepsSeen)));
    // The show after the answered request reached the window behind the dialog.
    QCOMPARE(readoutDuring, QStringLiteral("   10.00"));
    w.OnStop();
}

QTEST_MAIN(ModalLoopTest)
#include "ModalLoop_qtest.moc"

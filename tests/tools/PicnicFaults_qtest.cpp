#include <signal.h>

#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include "BuildPaths.h"

#include "picnic-sim/AntennaView.h"
#include "picnic-sim/PicnicSimulator.h"

using namespace zenko::picnic;

namespace {

constexpr int kWaitMs = 5000;

} // namespace

class PicnicFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void commandsOnStandardInputSwitchFaults();
    void viewButtonsAndTheSimulatorAgree();
};

// The display-less way a script switches faults: lines on the program's standard input.
void PicnicFaultsTest::commandsOnStandardInputSwitchFaults() {
    QProcess program;
    program.start(QStringLiteral(PICNIC_SIM_PATH),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--quiet"),
                   QStringLiteral("--commands")});
    QVERIFY(program.waitForStarted(kWaitMs));
    QByteArray output;
    QByteArray errors;
    const auto waitFor = [&](const QByteArray& text, const QByteArray& error = {}) {
        return QTest::qWaitFor(
            [&] {
                output += program.readAllStandardOutput();
                errors += program.readAllStandardError();
                return output.contains(text) && errors.contains(error);
            },
            kWaitMs);
    };
    QVERIFY(waitFor("listening on"));
    program.write("jam az on\nbogus\nswap el on\nfreeze az on\njam az off\nrestart 0.2\n");
    QVERIFY2(waitFor("picnic-sim: board answering again, I/O directions not set",
                     "picnic-sim: unknown command bogus"),
             (output + errors).constData());
    for (const char* line :
         {"picnic-sim: azimuth jammed\n", "picnic-sim: elevation relays swapped\n",
          "picnic-sim: azimuth reading frozen\n", "picnic-sim: azimuth free\n",
          "picnic-sim: board restarting, silent for 0.2 s, I/O directions forgotten\n"}) {
        QVERIFY2(output.contains(line), output.constData());
    }
    QCOMPARE(::kill(static_cast<pid_t>(program.processId()), SIGTERM), 0);
    QVERIFY(program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitCode(), 0);
}

void PicnicFaultsTest::viewButtonsAndTheSimulatorAgree() {
    SimulatorOptions options;
    options.port = 0;
    options.model.elevation.faults.readingFrozen = true;
    PicnicSimulator simulator(options);
    QVERIFY(simulator.start());
    AntennaView view(simulator);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.faultButton(Axis::Elevation, 2)->isChecked());
    QTest::mouseClick(view.faultButton(Axis::Azimuth, 0), Qt::LeftButton);
    QCOMPARE(simulator.faults(Axis::Azimuth), (AxisFaults{true, false, false}));
    simulator.setFaults(Axis::Azimuth, {false, true, false});
    QVERIFY(!view.faultButton(Axis::Azimuth, 0)->isChecked());
    QVERIFY(view.faultButton(Axis::Azimuth, 1)->isChecked());
    QVERIFY(view.faultButton(Axis::Azimuth, 1)->text().startsWith(QStringLiteral("●")));

    QTest::mouseClick(view.restartButton(), Qt::LeftButton);
    QVERIFY(simulator.restarting());
    QVERIFY(!view.restartButton()->isEnabled());
    QSignalSpy answering(&simulator, &PicnicSimulator::restartingChanged);
    simulator.restart(0.05);
    QVERIFY(answering.wait(kWaitMs) && answering.last().first() == false);
    QVERIFY(answering.size() >= 2);
    QVERIFY(view.restartButton()->isEnabled());
}

QTEST_MAIN(PicnicFaultsTest)
#include "PicnicFaults_qtest.moc"

#include "picnic-sim/AntennaView.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

#include <signal.h>

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QUdpSocket>
#include <QtTest>

#include "BuildPaths.h"

#include "picnic-sim/PicnicProtocol.h"
#include "picnic-sim/PicnicSimulator.h"

using namespace zenko::picnic;

namespace {

constexpr int kWaitMs = 5000;

// Stuck axes with wide stops: relays switch but the angles stay where the test puts them, even
// past a full turn, so what the view shows can be compared exactly.
SimulatorOptions StillOptions() {
    SimulatorOptions options;
    options.port = 0;
    options.model.azimuth.speed = 0.0;
    options.model.elevation.speed = 0.0;
    options.model.azimuth.lowerStop = -400.0;
    options.model.azimuth.upperStop = 800.0;
    options.model.elevation.lowerStop = -30.0;
    options.model.elevation.upperStop = 180.0;
    return options;
}

// A mask of 0 writes the whole byte.
bool SendRelayByte(PicnicSimulator& simulator, std::uint8_t relays) {
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QHostAddress::LocalHost), 0)) {
        return false;
    }
    const qsizetype before = simulator.commands().size();
    socket.writeDatagram(BuildRelayCommand({0x00, relays}), QHostAddress(QHostAddress::LocalHost),
                         simulator.port());
    return QTest::qWaitFor([&] { return simulator.commands().size() > before; }, kWaitMs);
}

QColor PixelAt(const QImage& image, QPointF point) {
    const double ratio = image.devicePixelRatio();
    return image.pixelColor(QPoint(qRound(point.x() * ratio), qRound(point.y() * ratio)));
}

int Distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

bool IsNeedleRed(const QColor& colour) {
    return colour.red() > 170 && colour.green() < 100 && colour.blue() < 100;
}

// Counts the view's paint events.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return QObject::eventFilter(watched, event);
    }
};

// The picnic-sim program on a free port, quiet; what it prints gathered as it comes.
struct Program {
    QProcess process;
    QByteArray output;
    QByteArray errors;

    bool start(const QStringList& more = {}) {
        process.start(
            QStringLiteral(PICNIC_SIM_PATH),
            QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--quiet")} +
                more);
        return process.waitForStarted(kWaitMs) && waitFor("listening on");
    }
    bool waitFor(const QByteArray& text, const QByteArray& error = {}) {
        return QTest::qWaitFor(
            [&] {
                output += process.readAllStandardOutput();
                errors += process.readAllStandardError();
                return output.contains(text) && errors.contains(error);
            },
            kWaitMs);
    }
    bool endsOn(int signalNumber) {
        return ::kill(static_cast<pid_t>(process.processId()), signalNumber) == 0 &&
               process.waitForFinished(kWaitMs) && process.exitCode() == 0;
    }
};

} // namespace

class PicnicViewTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheModel_data();
    void showsTheModel();
    void followsATurningAntennaAndRestsWhenItStands();
    void programEndsCleanlyOnASignal_data();
    void programEndsCleanlyOnASignal();
    void buttonsAndSignalsSilenceOneAxis();
    void faultButtonsAndTheSimulatorAgree();
    void commandsOnStandardInputSwitchFaults();
    // Last: it runs the application's own event loop to its end.
    void closingTheWindowEndsTheEventLoopWithStatusZero();
};

void PicnicViewTest::showsTheModel_data() {
    QTest::addColumn<double>("azimuth");
    QTest::addColumn<double>("elevation");
    QTest::addColumn<int>("relays");
    QTest::addColumn<QString>("azimuthText");
    QTest::addColumn<QString>("elevationText");
    // Az +, Az −, El +, El −
    QTest::addColumn<QList<bool>>("lit");

    QTest::newRow("standing") << 123.0 << 30.0 << 0x00 << QStringLiteral("az 123.0°")
                              << QStringLiteral("el 30.0°")
                              << QList<bool>{false, false, false, false};
    QTest::newRow("past a full turn, turning right")
        << 405.3 << 45.0 << 0x10 << QStringLiteral("az 405.3°") << QStringLiteral("el 45.0°")
        << QList<bool>{true, false, false, false};
    QTest::newRow("west of north, past the zenith")
        << -30.0 << 120.0 << 0x60 << QStringLiteral("az -30.0°") << QStringLiteral("el 120.0°")
        << QList<bool>{false, true, true, false};
    QTest::newRow("below the horizon, both elevation relays")
        << 270.0 << -10.0 << 0xd0 << QStringLiteral("az 270.0°") << QStringLiteral("el -10.0°")
        << QList<bool>{true, false, true, true};
    QTest::newRow("bits that drive nothing light nothing")
        << 10.0 << 80.0 << 0x0f << QStringLiteral("az 10.0°") << QStringLiteral("el 80.0°")
        << QList<bool>{false, false, false, false};
}

void PicnicViewTest::showsTheModel() {
    QFETCH(double, azimuth);
    QFETCH(double, elevation);
    QFETCH(int, relays);
    QFETCH(QString, azimuthText);
    QFETCH(QString, elevationText);
    QFETCH(QList<bool>, lit);

    PicnicSimulator simulator(StillOptions());
    QVERIFY(simulator.start());
    AntennaView view(simulator);
    view.resize(view.sizeHint());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.windowTitle().contains(QStringLiteral("アンテナ")));
    QVERIFY(view.windowTitle().contains(QString::number(simulator.port())));

    simulator.setAngle(Axis::Azimuth, azimuth);
    simulator.setAngle(Axis::Elevation, elevation);
    QVERIFY(SendRelayByte(simulator, static_cast<std::uint8_t>(relays)));
    // Nothing tells the view; its own timer has to bring the new state in.
    QVERIFY(QTest::qWaitFor([&] { return view.reading() == ReadModel(simulator.modelNow()); },
                            kWaitMs));

    QCOMPARE(view.reading().azimuth.angle, azimuth);
    QCOMPARE(view.reading().elevation.angle, elevation);
    QCOMPARE(view.reading().relays, static_cast<std::uint8_t>(relays));
    QCOMPARE(view.angleText(Axis::Azimuth), azimuthText);
    QCOMPARE(view.angleText(Axis::Elevation), elevationText);
    const RotatorModel& model = simulator.modelNow();
    QVERIFY(view.electricalText(Axis::Azimuth)
                .endsWith(QStringLiteral("count %1").arg(model.count(Axis::Azimuth))));
    QVERIFY(view.electricalText(Axis::Elevation)
                .endsWith(QStringLiteral("count %1").arg(model.count(Axis::Elevation))));

    const QImage image = view.grab().toImage();
    QVERIFY(!image.isNull());
    QVERIFY(image.width() >= view.width() && image.height() >= view.height());
    const AntennaLayout layout = view.currentLayout();
    const auto lamps = RelayLamps();
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        const QColor light = PixelAt(image, LampLight(layout.lamps[i]).center());
        const bool expected = lit[static_cast<qsizetype>(i)];
        QCOMPARE(view.lampLit(i), expected);
        QVERIFY2(expected ? Distance(light, lamps[i].litColour) < 30
                          : Distance(light, lamps[i].litColour) > 150,
                 qPrintable(QStringLiteral("%1 is %2").arg(lamps[i].label, light.name())));
    }

    // The needles point the way the antenna does, not the opposite way; an elevation beyond
    // the dial rests on its end rather than leaving it.
    const double halfCompass = layout.compassRadius / 2.0;
    QVERIFY(
        IsNeedleRed(PixelAt(image, AzimuthNeedleEnd(layout.compassCentre, halfCompass, azimuth))));
    QVERIFY(!IsNeedleRed(
        PixelAt(image, AzimuthNeedleEnd(layout.compassCentre, halfCompass, azimuth + 180.0))));
    const double halfArc = layout.arcRadius / 2.0;
    QVERIFY(IsNeedleRed(PixelAt(image, ElevationNeedleEnd(layout.arcPivot, halfArc, elevation))));
    if (elevation > 90.0) {
        const double angle = elevation * std::numbers::pi / 180.0;
        const QPointF unclamped =
            layout.arcPivot + QPointF(halfArc * std::cos(angle), -halfArc * std::sin(angle));
        QVERIFY(!IsNeedleRed(PixelAt(image, unclamped)));
    }
}

void PicnicViewTest::followsATurningAntennaAndRestsWhenItStands() {
    SimulatorOptions options;
    options.port = 0;
    PicnicSimulator simulator(options);
    QVERIFY(simulator.start());
    AntennaView view(simulator);
    PaintCounter paints;
    view.installEventFilter(&paints);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTRY_VERIFY(paints.count > 0);

    // Standing: nothing shown changes, so the refreshes the view's timer makes paint nothing. Three
    // of them here, with the events a repaint would have posted delivered after each.
    paints.count = 0;
    for (int refresh = 0; refresh < 3; ++refresh) {
        view.refresh();
        QCoreApplication::processEvents();
    }
    QCOMPARE(paints.count, 0);

    QVERIFY(SendRelayByte(simulator, kAzimuthIncrease));
    QVERIFY(QTest::qWaitFor([&] { return view.lampLit(0); }, kWaitMs));
    const double first = view.reading().azimuth.angle;
    QVERIFY(QTest::qWaitFor([&] { return view.reading().azimuth.angle > first + 0.5; }, kWaitMs));
    paints.count = 0;
    QTRY_VERIFY_WITH_TIMEOUT(paints.count >= 3, kWaitMs);
    QVERIFY(SendRelayByte(simulator, 0x00));
}

void PicnicViewTest::programEndsCleanlyOnASignal_data() {
    QTest::addColumn<bool>("view");
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("signalName");
    QTest::newRow("window, SIGTERM") << true << SIGTERM << QStringLiteral("SIGTERM");
    QTest::newRow("window, SIGINT") << true << SIGINT << QStringLiteral("SIGINT");
    QTest::newRow("no display, SIGTERM") << false << SIGTERM << QStringLiteral("SIGTERM");
}

// Without --view the simulator must run where there is no display at all: the environment
// names none, so a QApplication there would abort at start.
void PicnicViewTest::programEndsCleanlyOnASignal() {
    QFETCH(bool, view);
    QFETCH(int, signalNumber);
    QFETCH(QString, signalName);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (view) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    Program program;
    program.process.setProcessEnvironment(environment);
    QVERIFY2(program.start(view ? QStringList{QStringLiteral("--view")} : QStringList{}),
             (program.output + program.errors).constData());
    QVERIFY2(program.output.contains("listening on 127.0.0.1:"), program.output.constData());
    QVERIFY(program.endsOn(signalNumber));
    program.output += program.process.readAllStandardOutput();
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.output.contains("stopped by " + signalName.toLatin1()),
             program.output.constData());
    QVERIFY2(!program.output.contains("window closed"), program.output.constData());
}

// The buttons and the simulator agree whichever side switches; the running program takes
// SIGUSR1 for azimuth and SIGUSR2 for elevation and says so.
void PicnicViewTest::buttonsAndSignalsSilenceOneAxis() {
    PicnicSimulator simulator(StillOptions());
    QVERIFY(simulator.start());
    AntennaView view(simulator);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.answerButton(Axis::Azimuth)->isChecked());
    QTest::mouseClick(view.answerButton(Axis::Azimuth), Qt::LeftButton);
    QVERIFY(!simulator.answerAdc(Axis::Azimuth));
    QVERIFY(simulator.answerAdc(Axis::Elevation));
    simulator.setAnswerAdc(Axis::Elevation, false);
    QVERIFY(!view.answerButton(Axis::Elevation)->isChecked());
    QVERIFY(view.answerButton(Axis::Elevation)->text().contains(QStringLiteral("無応答")));

    Program program;
    QVERIFY(program.start());
    const auto pid = static_cast<pid_t>(program.process.processId());
    QCOMPARE(::kill(pid, SIGUSR1), 0);
    QVERIFY2(program.waitFor("azimuth ADC silent"), program.output.constData());
    QCOMPARE(::kill(pid, SIGUSR2), 0);
    QVERIFY2(program.waitFor("elevation ADC silent"), program.output.constData());
    QCOMPARE(::kill(pid, SIGUSR1), 0);
    QVERIFY2(program.waitFor("azimuth ADC answering"), program.output.constData());
    QVERIFY(program.endsOn(SIGTERM));
}

void PicnicViewTest::faultButtonsAndTheSimulatorAgree() {
    SimulatorOptions options = StillOptions();
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

// The display-less way a script switches faults: lines on the program's standard input.
void PicnicViewTest::commandsOnStandardInputSwitchFaults() {
    Program program;
    QVERIFY(program.start({QStringLiteral("--commands")}));
    program.process.write("jam az on\nbogus\nswap el on\nfreeze az on\njam az off\nrestart 0.2\n");
    QVERIFY2(program.waitFor("picnic-sim: board answering again, I/O directions not set",
                             "picnic-sim: unknown command bogus"),
             (program.output + program.errors).constData());
    for (const char* line :
         {"picnic-sim: azimuth jammed\n", "picnic-sim: elevation relays swapped\n",
          "picnic-sim: azimuth reading frozen\n", "picnic-sim: azimuth free\n",
          "picnic-sim: board restarting, silent for 0.2 s, I/O directions forgotten\n"}) {
        QVERIFY2(program.output.contains(line), program.output.constData());
    }
    QVERIFY(program.endsOn(SIGTERM));
}

void PicnicViewTest::closingTheWindowEndsTheEventLoopWithStatusZero() {
    PicnicSimulator simulator(StillOptions());
    QVERIFY(simulator.start());
    AntennaView view(simulator);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);

    QTimer::singleShot(AntennaView::kRefreshIntervalMs * 2, &view, &QWidget::close);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    giveUp.start(kWaitMs);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(lastWindowClosed.count(), 1);
    QVERIFY(!view.isVisible());
}

QTEST_MAIN(PicnicViewTest)
#include "PicnicView_qtest.moc"

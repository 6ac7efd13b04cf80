#include <csignal>
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QTime>
#include <QTimer>

#include "common/ToolOutput.h"
#include "picnic-sim/AntennaView.h"
#include "picnic-sim/CommandInput.h"
#include "picnic-sim/FaultCommand.h"
#include "picnic-sim/PicnicCommandLine.h"
#include "picnic-sim/PicnicReport.h"
#include "picnic-sim/PicnicSimulator.h"
#include "platform/Formats.h"
#include "platform/SignalPipe.h"
#include "platform/TerminationSignals.h"

using namespace zenko::picnic;
using zenko::tools::PrintLine;

namespace {

constexpr char kTool[] = "picnic-sim";

} // namespace

int main(int argc, char* argv[]) {
    // Only the window needs a QApplication, and a QApplication needs a display: the command line
    // is read before either application exists, so that the simulator alone runs anywhere.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const CommandLineOutcome outcome = ParseCommandLine(arguments);
    if (const auto status = zenko::tools::AnswerWithoutRunning(kTool, outcome)) {
        return *status;
    }
    const PicnicSettings& settings = outcome.settings;
    const std::unique_ptr<QCoreApplication> application =
        settings.view ? std::make_unique<QApplication>(argc, argv)
                      : std::make_unique<QCoreApplication>(argc, argv);

    PicnicSimulator simulator(settings.simulator);
    if (!simulator.start()) {
        return zenko::tools::PrintFailure(kTool, simulator.errorString(), 1);
    }
    // Quitting closes the window too, which is no news to the operator after a signal.
    QMetaObject::Connection windowClosed;
    zenko::platform::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &zenko::platform::TerminationSignals::received,
                     application.get(), [&windowClosed](int signalNumber) {
                         PrintLine(stdout, QLatin1String("picnic-sim: stopped by ") +
                                               QLatin1String(zenko::platform::TerminationSignalName(
                                                   signalNumber)));
                         QObject::disconnect(windowClosed);
                         QCoreApplication::quit();
                     });
    if (!settings.quiet) {
        QObject::connect(&simulator, &PicnicSimulator::commandReceived, &simulator,
                         [&simulator](const ReceivedCommand& command) {
                             PrintLine(stdout, FormatCommandLine(command, QTime::currentTime(),
                                                                 simulator.startNs()));
                         });
    }
    // Not a datagram, so printed even with --quiet: the operator asked for it.
    QObject::connect(
        &simulator, &PicnicSimulator::answerAdcChanged, &simulator, [](Axis axis, bool answer) {
            PrintLine(stdout, QLatin1String("picnic-sim: ") +
                                  QLatin1String(axis == Axis::Azimuth ? "azimuth" : "elevation") +
                                  QLatin1String(answer ? " ADC answering" : " ADC silent"));
        });
    QObject::connect(&simulator, &PicnicSimulator::faultsChanged, &simulator,
                     [](Axis axis, const AxisFaults& before, const AxisFaults& after) {
                         PrintLine(stdout, FaultChangeText(axis, before, after));
                     });
    QObject::connect(
        &simulator, &PicnicSimulator::restartingChanged, &simulator, [&simulator](bool restarting) {
            PrintLine(stdout,
                      restarting
                          ? QLatin1String("picnic-sim: board restarting, silent for ") +
                                zenko::platform::FormatFixed(simulator.restartSeconds(), 0, 1) +
                                QLatin1String(" s, I/O directions forgotten")
                          : QStringLiteral("picnic-sim: board answering again, "
                                           "I/O directions not set"));
        });
    std::unique_ptr<CommandInput> commands;
    if (settings.commands) {
        commands = std::make_unique<CommandInput>();
        QObject::connect(commands.get(), &CommandInput::line, &simulator,
                         [&simulator](const QString& line) {
                             const FaultCommandOutcome outcome = ParseFaultCommand(line);
                             if (outcome.command) {
                                 ApplyFaultCommand(simulator, *outcome.command);
                             } else if (!outcome.refusal.isEmpty()) {
                                 PrintLine(stderr, QLatin1String("picnic-sim: ") + outcome.refusal);
                             }
                         });
    }
    if (settings.restart) {
        QTimer::singleShot(
            static_cast<int>(settings.restart->afterSeconds * 1000), Qt::PreciseTimer, &simulator,
            [&simulator, silent = settings.restart->silentSeconds] { simulator.restart(silent); });
    }
    // So that an operator can silence one axis of a running simulator from a shell.
    zenko::platform::SignalPipe toggleSignals({SIGUSR1, SIGUSR2}, "SIGUSR1 and SIGUSR2");
    QObject::connect(&toggleSignals, &zenko::platform::SignalPipe::received, &simulator,
                     [&simulator](int signalNumber) {
                         const Axis axis =
                             signalNumber == SIGUSR1 ? Axis::Azimuth : Axis::Elevation;
                         simulator.setAnswerAdc(axis, !simulator.answerAdc(axis));
                     });
    QTimer statusTimer;
    if (settings.statusIntervalMs > 0) {
        statusTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&statusTimer, &QTimer::timeout, &simulator, [&simulator] {
            PrintLine(stdout, FormatStatusLine(simulator.modelNow(), QTime::currentTime(),
                                               simulator.startNs()));
        });
        statusTimer.start(settings.statusIntervalMs);
    }

    // Closing the last window quits the application with status 0, as a signal does.
    std::unique_ptr<AntennaView> view;
    if (settings.view) {
        view = std::make_unique<AntennaView>(simulator);
        windowClosed = QObject::connect(qApp, &QGuiApplication::lastWindowClosed, view.get(), [] {
            PrintLine(stdout, QStringLiteral("picnic-sim: window closed"));
        });
        view->show();
    }

    const RotatorModel& model = simulator.modelNow();
    PrintLine(stdout,
              QLatin1String("picnic-sim: listening on ") + settings.simulator.bindAddress +
                  QLatin1Char(':') + zenko::platform::FormatInteger(simulator.port()) +
                  QLatin1String(", replies from ") + simulator.replyAddress().toString() +
                  (simulator.answerAdc() ? QString() : QLatin1String(" (silent: no replies)")) +
                  QLatin1String(", az ") +
                  zenko::platform::FormatFixed(model.angle(Axis::Azimuth), 0, 2) +
                  QLatin1String(" deg, el ") +
                  zenko::platform::FormatFixed(model.angle(Axis::Elevation), 0, 2) +
                  QLatin1String(" deg"));
    return QCoreApplication::exec();
}

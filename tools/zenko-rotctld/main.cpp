#include <cstdio>

#include <QCoreApplication>

#include "common/ToolOutput.h"
#include "platform/Formats.h"
#include "platform/JournalFormat.h"
#include "platform/TerminationSignals.h"
#include "zenko-rotctld/RotctldCommandLine.h"
#include "zenko-rotctld/RotctldJournal.h"

using namespace zenko::rotctld;

namespace {

constexpr char kTool[] = "zenko-rotctld";
constexpr int kRuntimeFailure = 1;

QString Endpoint(const QHostAddress& address, std::uint16_t port) {
    return address.toString() + QLatin1Char(' ') + QLatin1String("port ") +
           zenko::platform::FormatInteger(port);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    qSetMessagePattern(QString::fromLatin1(zenko::platform::kJournalPattern));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const CommandLineOutcome outcome = ParseCommandLine(arguments);
    if (const auto status = zenko::tools::AnswerWithoutRunning(kTool, outcome)) {
        return *status;
    }

    RotctldBridge bridge(outcome.settings);
    if (!bridge.listen()) {
        return zenko::tools::PrintFailure(kTool, bridge.errorString(), kRuntimeFailure);
    }
    zenko::platform::TerminationSignals termination;
    QObject::connect(&termination, &zenko::platform::TerminationSignals::received, &application,
                     [](int signalNumber) {
                         qCInfo(lcRotctld, "exiting on %s",
                                zenko::platform::TerminationSignalName(signalNumber));
                         QCoreApplication::quit();
                     });
    const BridgeSettings& settings = outcome.settings;
    const QString served = settings.ptyPath.isEmpty()
                               ? Endpoint(settings.listenAddress, bridge.serverPort())
                               : QLatin1String("pseudo-terminal ") + bridge.ptyEndpoint();
    zenko::tools::PrintLine(stdout,
                            QLatin1String("zenko-rotctld: serving ") +
                                QLatin1String(ProtocolName(settings.protocol)) +
                                QLatin1String(" on ") + served + QLatin1String(", controller at ") +
                                Endpoint(settings.controllerAddress, settings.controllerPort));
    return QCoreApplication::exec();
}

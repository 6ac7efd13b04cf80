#include <cstdio>
#include <optional>

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include "common/ToolOutput.h"
#include "platform/Formats.h"
#include "setvalue-send/SetValueSendCommandLine.h"
#include "setvalue-send/SetValueSendReply.h"

using namespace zenko::setvaluesend;
using zenko::tools::PrintLine;

namespace {

constexpr char kTool[] = "setvalue-send";

int Fail(const QString& reason) {
    return zenko::tools::PrintFailure(kTool, reason, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const CommandLineOutcome outcome = ParseCommandLine(arguments);
    if (const auto status = zenko::tools::AnswerWithoutRunning(kTool, outcome)) {
        return *status;
    }
    const SendSettings& settings = outcome.settings;
    const QHostAddress target(settings.host);
    const QString targetText =
        settings.host + QLatin1Char(':') + zenko::platform::FormatInteger(settings.port);

    // A socket bound to loopback cannot reach another machine, and one bound to every address
    // would take datagrams meant for the station's other interfaces in the loopback case.
    QUdpSocket socket;
    const QHostAddress local(target.isLoopback() ? QHostAddress::LocalHost : QHostAddress::AnyIPv4);
    if (!socket.bind(local, 0, QAbstractSocket::DontShareAddress)) {
        return Fail(QLatin1String("cannot bind a local port: ") + socket.errorString());
    }

    std::optional<QByteArray> reply;
    QObject::connect(&socket, &QUdpSocket::readyRead, &application, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            if (!reply && datagram.senderAddress() == target) {
                reply = datagram.data();
                QCoreApplication::quit();
            }
        }
    });
    if (socket.writeDatagram(settings.request, target, settings.port) != settings.request.size()) {
        return Fail(QLatin1String("cannot send to ") + targetText + QLatin1String(": ") +
                    socket.errorString());
    }
    QTimer::singleShot(settings.timeoutMs, Qt::PreciseTimer, &application, &QCoreApplication::quit);
    QCoreApplication::exec();

    if (!reply) {
        return Fail(QLatin1String("no reply from ") + targetText + QLatin1String(" within ") +
                    zenko::platform::FormatInteger(settings.timeoutMs) + QLatin1String(" ms"));
    }
    const DecodedReply decoded = DecodeReply(*reply, settings.replyFormat);
    if (!decoded.reading.isEmpty()) {
        PrintLine(stdout, decoded.reading);
    }
    PrintLine(stdout, QLatin1String("reply from ") + settings.host + QLatin1String(", ") +
                          zenko::platform::FormatInteger(reply->size()) +
                          QLatin1String(" bytes: ") + decoded.raw);
    if (!decoded.note.isEmpty()) {
        PrintLine(stdout, QLatin1String("note: ") + decoded.note);
    }
    return 0;
}

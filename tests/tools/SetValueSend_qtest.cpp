#include <optional>

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QUdpSocket>
#include <QtTest>

#include "BuildPaths.h"

#include "platform/Formats.h"
#include "setvalue/SetValueCodec.h"

namespace {

constexpr int kProcessLimitMs = 15000;
const QHostAddress kLoopback(QHostAddress::LocalHost);

QByteArray BinaryVector() {
    return zenko::setvalue::BuildBinaryReply({123.456, 45.25, 2.5, 1.25});
}

QByteArray AsciiVector() {
    return zenko::setvalue::BuildAsciiReply({123.456, 45.25, 2.5, 1.25});
}

// Stands in for a set-value service on 127.0.0.1: records every request and answers each with
// a fixed reply, or not at all. With a decoy, another loopback address sends the decoy to the
// requester first, as a foreign host might.
class Responder {
public:
    explicit Responder(std::optional<QByteArray> reply,
                       std::optional<QByteArray> decoy = std::nullopt)
        : m_reply(std::move(reply)), m_decoy(std::move(decoy)) {}

    bool start() {
        if (!m_socket.bind(kLoopback, 0, QAbstractSocket::DontShareAddress) ||
            !m_decoySocket.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0)) {
            return false;
        }
        QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = m_socket.receiveDatagram();
                m_requests << request;
                if (m_decoy) {
                    m_decoySocket.writeDatagram(*m_decoy, request.senderAddress(),
                                                static_cast<quint16>(request.senderPort()));
                }
                if (m_reply) {
                    m_socket.writeDatagram(*m_reply, request.senderAddress(),
                                           static_cast<quint16>(request.senderPort()));
                }
            }
        });
        return true;
    }

    QString port() const { return zenko::platform::FormatInteger(m_socket.localPort()); }
    const QList<QNetworkDatagram>& requests() const { return m_requests; }

private:
    std::optional<QByteArray> m_reply;
    std::optional<QByteArray> m_decoy;
    QUdpSocket m_socket;
    QUdpSocket m_decoySocket;
    QList<QNetworkDatagram> m_requests;
};

struct ToolRun {
    bool finished = false;
    int exitCode = -1;
    QStringList out;
    QByteArray err;
    qint64 elapsedMs = 0;
};

// The event loop runs while the tool does, so the responder in this thread answers meanwhile.
ToolRun RunTool(const QStringList& arguments) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(SETVALUE_SEND_PATH), arguments);
    ToolRun run;
    run.finished = QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; },
                                   kProcessLimitMs);
    run.elapsedMs = clock.elapsed();
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class SetValueSendTest : public QObject {
    Q_OBJECT

private slots:
    void replyIsDecoded_data();
    void replyIsDecoded();
    void datagramsFromOtherAddressesAreIgnored_data();
    void datagramsFromOtherAddressesAreIgnored();
    void silenceEndsWithStatusOneAfterTheTimeout();
    void wrongCommandLineEndsWithStatusTwo_data();
    void wrongCommandLineEndsWithStatusTwo();
    void helpEndsWithStatusZero();
};

void SetValueSendTest::replyIsDecoded_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("lines");
    const QString binaryReading =
        QStringLiteral("azimuth 123.456 deg  elevation 45.250 deg  az 2.500 V  el 1.250 V");
    const QString binaryRaw = QStringLiteral(
        "reply from 127.0.0.1, 20 bytes: 00000000 0001e240 0000b0c2 000009c4 000004e2");
    const QString asciiReading =
        QStringLiteral("azimuth 123.46 deg  elevation 45.25 deg  az 2.500 V  el 1.250 V");
    const QString asciiRaw = QStringLiteral(
        "reply from 127.0.0.1, 45 bytes: \"       0,  123.46,   45.25,   2.500,   1.250,\"");
    QTest::newRow("binary set values")
        << QStringList{"--binary", "123.456", "45"}
        << QByteArray::fromHex("000000000001e2400000afc8") << BinaryVector()
        << QStringList{binaryReading, binaryRaw, QString()};
    QTest::newRow("binary query") << QStringList{"--query-binary"} << QByteArray() << BinaryVector()
                                  << QStringList{binaryReading, binaryRaw, QString()};
    QTest::newRow("raw bytes") << QStringList{"--hex", "00000000 0001e240 0000afc8"}
                               << QByteArray::fromHex("000000000001e2400000afc8") << BinaryVector()
                               << QStringList{binaryReading, binaryRaw, QString()};
    QTest::newRow("short binary reply")
        << QStringList{"--query-binary"} << QByteArray() << BinaryVector().first(19)
        << QStringList{
               QStringLiteral(
                   "reply from 127.0.0.1, 19 bytes: 00000000 0001e240 0000b0c2 000009c4 000004"),
               QStringLiteral("note: a binary reply has 20 bytes, this one 19: not decoded"),
               QString()};
    QTest::newRow("ascii set values")
        << QStringList{"--ascii", "123.456", "45.25"} << QByteArray("ZENKO,123.456,45.25")
        << AsciiVector() << QStringList{asciiReading, asciiRaw, QString()};
    QTest::newRow("ascii query") << QStringList{"--query-ascii"} << QByteArray("?") << AsciiVector()
                                 << QStringList{asciiReading, asciiRaw, QString()};
    QTest::newRow("text") << QStringList{"--text", "tracker,200"} << QByteArray("tracker,200")
                          << AsciiVector() << QStringList{asciiReading, asciiRaw, QString()};
}

void SetValueSendTest::replyIsDecoded() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, lines);
    Responder responder(reply);
    QVERIFY(responder.start());
    const ToolRun run =
        RunTool(arguments + QStringList{"--port", responder.port(), "--timeout", "5000"});
    QVERIFY(run.finished);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, lines);
    QCOMPARE(responder.requests().size(), 1);
    QCOMPARE(responder.requests().front().data(), request);
    QCOMPARE(responder.requests().front().senderAddress(), kLoopback);
}

void SetValueSendTest::datagramsFromOtherAddressesAreIgnored_data() {
    QTest::addColumn<bool>("answered");
    QTest::newRow("decoy, then the reply") << true;
    QTest::newRow("decoy only") << false;
}

void SetValueSendTest::datagramsFromOtherAddressesAreIgnored() {
    QFETCH(bool, answered);
    Responder responder(answered ? std::optional(BinaryVector()) : std::nullopt,
                        zenko::setvalue::BuildBinaryReply({1.0, 2.0, 3.0, 4.0}));
    QVERIFY(responder.start());
    const ToolRun run = RunTool({"--query-binary", "--port", responder.port(), "--timeout", "500"});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, answered ? 0 : 1);
    QCOMPARE(run.out.front(),
             answered ? QStringLiteral(
                            "azimuth 123.456 deg  elevation 45.250 deg  az 2.500 V  el 1.250 V")
                      : QString());
}

void SetValueSendTest::silenceEndsWithStatusOneAfterTheTimeout() {
    Responder responder(std::nullopt);
    QVERIFY(responder.start());
    const ToolRun run = RunTool({"--query-ascii", "--port", responder.port(), "--timeout", "300"});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("setvalue-send: no reply from 127.0.0.1:%1 within 300 ms\n")
                          .arg(responder.port())
                          .toUtf8());
    QCOMPARE(run.out, QStringList{QString()});
    QVERIFY2(run.elapsedMs >= 300, qPrintable(zenko::platform::FormatInteger(run.elapsedMs)));
    QVERIFY2(run.elapsedMs < 300 + 5000, qPrintable(zenko::platform::FormatInteger(run.elapsedMs)));
    QTRY_COMPARE(responder.requests().size(), 1);
}

void SetValueSendTest::wrongCommandLineEndsWithStatusTwo_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no mode") << QStringList{};
    QTest::newRow("host name") << QStringList{"--host", "localhost", "--query-ascii"};
    QTest::newRow("raw bytes without a port") << QStringList{"--hex", "00"};
    QTest::newRow("negative binary degrees") << QStringList{"--binary", "-1", "0"};
}

void SetValueSendTest::wrongCommandLineEndsWithStatusTwo() {
    QFETCH(QStringList, arguments);
    const ToolRun run = RunTool(arguments);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QStringList{QString()});
    QVERIFY(run.err.startsWith("setvalue-send: "));
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(run.err.endsWith('\n'));
}

void SetValueSendTest::helpEndsWithStatusZero() {
    const ToolRun run = RunTool({"--help"});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.front().startsWith(QLatin1String("Usage: setvalue-send")));
    QCOMPARE(run.err, QByteArray());
}

QTEST_MAIN(SetValueSendTest)
#include "SetValueSend_qtest.moc"

#include "picnic-sim/PicnicSimulator.h"

#include <chrono>
#include <memory>

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

using namespace zenko::picnic;

namespace {

constexpr int kWaitMs = 3000;
const QHostAddress kLoopback(QHostAddress::LocalHost);

std::unique_ptr<QUdpSocket> BoundClient(const QHostAddress& address = kLoopback) {
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(address, 0, QAbstractSocket::DontShareAddress)) {
        return nullptr;
    }
    return socket;
}

SimulatorOptions TestOptions() {
    SimulatorOptions options;
    options.port = 0;
    return options;
}

// Bounded: the event loop keeps running, so the simulator in this thread answers meanwhile.
std::optional<QNetworkDatagram> NextDatagram(QUdpSocket& socket) {
    if (!QTest::qWaitFor([&socket] { return socket.hasPendingDatagrams(); }, kWaitMs)) {
        return std::nullopt;
    }
    return socket.receiveDatagram();
}

bool WaitForCommands(const PicnicSimulator& simulator, qsizetype count) {
    return QTest::qWaitFor([&] { return simulator.commands().size() >= count; }, kWaitMs);
}

} // namespace

// The simulator handles datagrams in their order, so once the reply to a later request is in,
// a reply to anything sent before it would already be queued: most "no answer" checks need no
// time-out.
class PicnicSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void adcRequestIsAnsweredToItsSourcePort_data();
    void adcRequestIsAnsweredToItsSourcePort();
    void eachSourcePortGetsItsOwnReply();
    void relayCommandsDriveTheModelUnderTheirMask();
    void relayTakesEffectAtItsArrival();
    void ioDirectionAndUnknownAreRecordedUnanswered();
    void silentSimulatorRecordsButDoesNotAnswer_data();
    void silentSimulatorRecordsButDoesNotAnswer();
    void oneAxisFallsSilentWhileTheOtherAnswers();
    void keepsTheLatestCommandsAndCountsAll();
    void repliesComeFromTheReplyAddress();
    void commandReceivedCarriesTheRecord();
    void largeDatagramIsRecordedWhole();
    void portInUseFails();
    void badAddressesFail();
};

void PicnicSimulatorTest::adcRequestIsAnsweredToItsSourcePort_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<double>("azimuth");
    QTest::addColumn<double>("elevation");
    QTest::addColumn<int>("count");
    QTest::newRow("az middle") << 0x81 << 100.0 << 45.0 << 512;
    QTest::newRow("el middle") << 0x89 << 100.0 << 45.0 << 461;
    QTest::newRow("az at zero") << 0x81 << 0.0 << 45.0 << 0;
    QTest::newRow("az at the top saturates") << 0x81 << 200.0 << 45.0 << 1023;
    QTest::newRow("el at the top saturates") << 0x89 << 0.0 << 100.0 << 1023;
}

void PicnicSimulatorTest::adcRequestIsAnsweredToItsSourcePort() {
    QFETCH(int, channel);
    QFETCH(double, azimuth);
    QFETCH(double, elevation);
    QFETCH(int, count);
    PicnicSimulator simulator(TestOptions());
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    QVERIFY(simulator.port() != 0);
    simulator.setAngle(Axis::Azimuth, azimuth);
    simulator.setAngle(Axis::Elevation, elevation);
    const auto client = BoundClient();
    QVERIFY(client);

    const QByteArray request = BuildAdcRequest(static_cast<std::uint8_t>(channel));
    client->writeDatagram(request, kLoopback, simulator.port());
    const auto reply = NextDatagram(*client);
    QVERIFY(reply);
    QCOMPARE(reply->data().size(), kAdcReplySize);
    QCOMPARE(ParseAdcReplyCount(reply->data()), std::optional<std::int16_t>(count));
    QCOMPARE(reply->senderAddress(), kLoopback);
    QCOMPARE(reply->senderPort(), int(simulator.port()));

    QCOMPARE(simulator.commands().size(), 1);
    const ReceivedCommand& command = simulator.commands().constFirst();
    QCOMPARE(command.kind, CommandKind::AdcRequest);
    QCOMPARE(command.bytes, request);
    QCOMPARE(command.sourcePort, client->localPort());
    QCOMPARE(command.sourceAddress, kLoopback);
    QVERIFY(command.answer);
    QCOMPARE(command.answer->count, count);
    QCOMPARE(command.answer->volts, count * 5.0 / 1024);
}

void PicnicSimulatorTest::eachSourcePortGetsItsOwnReply() {
    PicnicSimulator simulator(TestOptions());
    QVERIFY(simulator.start());
    simulator.setAngle(Axis::Azimuth, 50);
    simulator.setAngle(Axis::Elevation, 80);
    const auto azimuthClient = BoundClient();
    const auto elevationClient = BoundClient();
    QVERIFY(azimuthClient && elevationClient);
    azimuthClient->writeDatagram(BuildAdcRequest(kAzimuthChannel), kLoopback, simulator.port());
    elevationClient->writeDatagram(BuildAdcRequest(kElevationChannel), kLoopback, simulator.port());
    const auto azimuthReply = NextDatagram(*azimuthClient);
    const auto elevationReply = NextDatagram(*elevationClient);
    QVERIFY(azimuthReply && elevationReply);
    // 50 deg = 1.25 V = 256 counts; 80 deg = 4 V = 819.2 counts.
    QCOMPARE(ParseAdcReplyCount(azimuthReply->data()), std::optional<std::int16_t>(256));
    QCOMPARE(ParseAdcReplyCount(elevationReply->data()), std::optional<std::int16_t>(819));
    QVERIFY(!azimuthClient->hasPendingDatagrams());
    QVERIFY(!elevationClient->hasPendingDatagrams());
}

void PicnicSimulatorTest::relayCommandsDriveTheModelUnderTheirMask() {
    const struct {
        const char* name;
        std::uint8_t mask;
        std::uint8_t value;
        std::uint8_t relays;
    } steps[] = {
        {"az increase", 0xCF, 0x10, 0x10},
        {"el decrease leaves az", 0x3F, 0x80, 0x90},
        {"az decrease leaves el", 0xCF, 0x20, 0xA0},
        {"el command cannot touch az", 0x3F, 0x3F, 0x20},
        {"az off", 0xCF, 0x00, 0x00},
    };
    PicnicSimulator simulator(TestOptions());
    QVERIFY(simulator.start());
    const auto client = BoundClient();
    QVERIFY(client);
    for (const auto& step : steps) {
        client->writeDatagram(BuildRelayCommand({step.mask, step.value}), kLoopback,
                              simulator.port());
    }
    QVERIFY(WaitForCommands(simulator, std::size(steps)));
    for (qsizetype i = 0; i < qsizetype(std::size(steps)); ++i) {
        const ReceivedCommand& command = simulator.commands()[i];
        QCOMPARE(command.kind, CommandKind::Relay);
        QVERIFY2(command.after.relays == steps[i].relays, steps[i].name);
    }
    QCOMPARE(simulator.modelNow().relayByte(), std::uint8_t(0));
    QVERIFY(!client->hasPendingDatagrams());
}

void PicnicSimulatorTest::relayTakesEffectAtItsArrival() {
    SimulatorOptions options = TestOptions();
    options.model.azimuth.startAngle = 20;
    PicnicSimulator simulator(options);
    QVERIFY(simulator.start());
    const auto client = BoundClient();
    QVERIFY(client);
    client->writeDatagram(BuildRelayCommand({0xCF, kAzimuthIncrease}), kLoopback, simulator.port());
    QVERIFY(WaitForCommands(simulator, 1));
    const std::int64_t arrival = simulator.commands().constFirst().monotonicNs;
    // The time before the command does not count, however long the loop took to deliver it:
    // even a microsecond of it would show in the exact comparison.
    QCOMPARE(simulator.commands().constFirst().after.azimuth, 20.0);
    QTRY_VERIFY(simulator.modelNow().angle(Axis::Azimuth) > 20.2);
    const RotatorModel& model = simulator.modelNow();
    const double elapsed = static_cast<double>(model.time().count() - arrival) / 1e9;
    QVERIFY(elapsed > 0.0);
    QVERIFY(qAbs(model.angle(Axis::Azimuth) - (20.0 + 10.0 * elapsed)) < 1e-9);
    QCOMPARE(model.angle(Axis::Elevation), 0.0);
}

void PicnicSimulatorTest::ioDirectionAndUnknownAreRecordedUnanswered() {
    PicnicSimulator simulator(TestOptions());
    QVERIFY(simulator.start());
    const auto client = BoundClient();
    QVERIFY(client);
    const QList<QByteArray> directions = {
        QByteArray::fromHex("010500"), QByteArray::fromHex("010501"), QByteArray::fromHex("020604"),
        QByteArray::fromHex("020605"), QByteArray::fromHex("020606"), QByteArray::fromHex("020607"),
    };
    const QList<QByteArray> unknown = {
        QByteArray::fromHex("0306020f10"),
        QByteArray("hello world"),
        QByteArray::fromHex("04"),
        BuildAdcRequest(0x85),
    };
    for (const QByteArray& datagram : directions + unknown) {
        client->writeDatagram(datagram, kLoopback, simulator.port());
    }
    client->writeDatagram(BuildAdcRequest(kAzimuthChannel), kLoopback, simulator.port());
    const auto reply = NextDatagram(*client);
    QVERIFY(reply);
    QCOMPARE(reply->data().size(), kAdcReplySize);
    QVERIFY(!client->hasPendingDatagrams());

    const QList<ReceivedCommand>& commands = simulator.commands();
    QCOMPARE(commands.size(), directions.size() + unknown.size() + 1);
    for (qsizetype i = 0; i < directions.size(); ++i) {
        QCOMPARE(commands[i].kind, CommandKind::IoDirection);
        QCOMPARE(commands[i].bytes, directions[i]);
        QCOMPARE(commands[i].sourcePort, client->localPort());
    }
    for (qsizetype i = 0; i < unknown.size(); ++i) {
        const ReceivedCommand& command = commands[directions.size() + i];
        QCOMPARE(command.bytes, unknown[i]);
        QVERIFY(!command.answer);
    }
    QCOMPARE(commands[directions.size()].kind, CommandKind::Unknown);
    QCOMPARE(commands[directions.size() + 3].kind, CommandKind::AdcRequest);
    QCOMPARE(simulator.modelNow().relayByte(), std::uint8_t(0));
    for (qsizetype i = 1; i < commands.size(); ++i) {
        QVERIFY(commands[i].monotonicNs >= commands[i - 1].monotonicNs);
    }

    simulator.clearCommands();
    QVERIFY(simulator.commands().isEmpty());
}

void PicnicSimulatorTest::silentSimulatorRecordsButDoesNotAnswer_data() {
    QTest::addColumn<bool>("silentFromTheStart");
    QTest::newRow("silent from the start") << true;
    QTest::newRow("silenced while running") << false;
}

void PicnicSimulatorTest::silentSimulatorRecordsButDoesNotAnswer() {
    QFETCH(bool, silentFromTheStart);
    SimulatorOptions options = TestOptions();
    options.answerAdc = !silentFromTheStart;
    PicnicSimulator simulator(options);
    QVERIFY(simulator.start());
    if (!silentFromTheStart) {
        simulator.setAnswerAdc(false);
    }
    QVERIFY(!simulator.answerAdc());
    const auto client = BoundClient();
    QVERIFY(client);
    client->writeDatagram(BuildAdcRequest(kAzimuthChannel), kLoopback, simulator.port());
    client->writeDatagram(BuildAdcRequest(kElevationChannel), kLoopback, simulator.port());
    QVERIFY(WaitForCommands(simulator, 2));
    // Replies leave in the order of the requests, so an answer to either would arrive before
    // the answer to a third request asked once the simulator answers again.
    simulator.setAnswerAdc(true);
    client->writeDatagram(BuildAdcRequest(kAzimuthChannel), kLoopback, simulator.port());
    QVERIFY(NextDatagram(*client));
    QVERIFY(!client->hasPendingDatagrams());
    QVERIFY(!simulator.commands()[0].answer);
    QVERIFY(!simulator.commands()[1].answer);
    QVERIFY(simulator.commands()[2].answer);
}

// Elevation silenced while running: its requests go unanswered, azimuth's keep their replies,
// in the order sent, so the last reply in proves nothing else is on its way.
void PicnicSimulatorTest::oneAxisFallsSilentWhileTheOtherAnswers() {
    PicnicSimulator simulator(TestOptions());
    QVERIFY(simulator.start());
    const auto client = BoundClient();
    QVERIFY(client);
    QSignalSpy changes(&simulator, &PicnicSimulator::answerAdcChanged);
    simulator.setAnswerAdc(Axis::Elevation, false);
    simulator.setAnswerAdc(Axis::Elevation, false);
    QCOMPARE(changes.count(), 1);
    QVERIFY(simulator.answerAdc(Axis::Azimuth));
    QVERIFY(!simulator.answerAdc());
    for (const std::uint8_t channel : {kElevationChannel, kAzimuthChannel}) {
        client->writeDatagram(BuildAdcRequest(channel), kLoopback, simulator.port());
    }
    const auto reply = NextDatagram(*client);
    QVERIFY(reply);
    QCOMPARE(reply->data().at(1), char(kAzimuthChannel));
    QVERIFY(!client->hasPendingDatagrams());

    simulator.setAnswerAdc(Axis::Elevation, true);
    QVERIFY(simulator.answerAdc());
    client->writeDatagram(BuildAdcRequest(kElevationChannel), kLoopback, simulator.port());
    const auto again = NextDatagram(*client);
    QVERIFY(again);
    QCOMPARE(again->data().at(1), char(kElevationChannel));
    QCOMPARE(changes.count(), 2);
}

void PicnicSimulatorTest::keepsTheLatestCommandsAndCountsAll() {
    SimulatorOptions options = TestOptions();
    options.historyLimit = 3;
    PicnicSimulator simulator(options);
    QVERIFY(simulator.start());
    const auto client = BoundClient();
    QVERIFY(client);
    const QList<QByteArray> sent = {
        BuildAdcRequest(kAzimuthChannel), BuildRelayCommand({0xCF, 0x10}),
        BuildAdcRequest(kElevationChannel), QByteArray("abcd"), BuildRelayCommand({0xCF, 0x00})};
    for (const QByteArray& datagram : sent) {
        client->writeDatagram(datagram, kLoopback, simulator.port());
    }
    QVERIFY(QTest::qWaitFor([&] { return simulator.receivedCount() == 5; }, kWaitMs));
    QCOMPARE(simulator.commands().size(), 3);
    for (qsizetype i = 0; i < 3; ++i) {
        QCOMPARE(simulator.commands()[i].bytes, sent[i + 2]);
    }
    QCOMPARE(simulator.receivedCount(CommandKind::AdcRequest), 2u);
    QCOMPARE(simulator.receivedCount(CommandKind::Relay), 2u);
    QCOMPARE(simulator.receivedCount(CommandKind::Unknown), 1u);
    QCOMPARE(simulator.receivedCount(CommandKind::IoDirection), 0u);
}

void PicnicSimulatorTest::repliesComeFromTheReplyAddress() {
    const QHostAddress foreign(QStringLiteral("127.0.0.2"));
    if (!BoundClient(foreign)) {
        QSKIP("127.0.0.2 cannot be bound on this machine");
    }
    SimulatorOptions options = TestOptions();
    options.replyFromAddress = foreign.toString();
    PicnicSimulator simulator(options);
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    QCOMPARE(simulator.replyAddress(), foreign);
    const auto client = BoundClient();
    QVERIFY(client);
    client->writeDatagram(BuildAdcRequest(kAzimuthChannel), kLoopback, simulator.port());
    const auto reply = NextDatagram(*client);
    QVERIFY(reply);
    QCOMPARE(reply->senderAddress(), foreign);
    QVERIFY(reply->senderPort() != 0);
    QCOMPARE(reply->data().size(), kAdcReplySize);
    QCOMPARE(simulator.commands().constFirst().sourceAddress, kLoopback);
}

void PicnicSimulatorTest::commandReceivedCarriesTheRecord() {
    PicnicSimulator simulator(TestOptions());
    QVERIFY(simulator.start());
    QList<ReceivedCommand> seen;
    qsizetype listedWhenSignalled = -1;
    connect(&simulator, &PicnicSimulator::commandReceived, this,
            [&](const ReceivedCommand& command) {
                seen.append(command);
                listedWhenSignalled = simulator.commands().size();
                simulator.clearCommands();
            });
    const auto client = BoundClient();
    QVERIFY(client);
    client->writeDatagram(BuildRelayCommand({0x3F, kElevationIncrease}), kLoopback,
                          simulator.port());
    QVERIFY(QTest::qWaitFor([&] { return !seen.isEmpty(); }, kWaitMs));
    QCOMPARE(listedWhenSignalled, 1);
    QCOMPARE(seen.constFirst().kind, CommandKind::Relay);
    QCOMPARE(seen.constFirst().after.relays, kElevationIncrease);
    QCOMPARE(seen.constFirst().sourcePort, client->localPort());
    QVERIFY(seen.constFirst().monotonicNs >= simulator.startNs());
}

void PicnicSimulatorTest::largeDatagramIsRecordedWhole() {
    PicnicSimulator simulator(TestOptions());
    QVERIFY(simulator.start());
    const auto client = BoundClient();
    QVERIFY(client);
    const QByteArray large(9000, '\x04');
    client->writeDatagram(large, kLoopback, simulator.port());
    QVERIFY(WaitForCommands(simulator, 1));
    QCOMPARE(simulator.commands().constFirst().bytes, large);
    QCOMPARE(simulator.commands().constFirst().kind, CommandKind::Unknown);
}

void PicnicSimulatorTest::portInUseFails() {
    PicnicSimulator first(TestOptions());
    QVERIFY(first.start());
    QVERIFY(!first.start());
    SimulatorOptions options = TestOptions();
    options.port = first.port();
    PicnicSimulator second(options);
    QVERIFY(!second.start());
    QVERIFY(second.errorString().contains(QString::number(first.port())));
}

void PicnicSimulatorTest::badAddressesFail() {
    SimulatorOptions options = TestOptions();
    options.bindAddress = QStringLiteral("not-an-address");
    PicnicSimulator badBind(options);
    QVERIFY(!badBind.start());
    QVERIFY(badBind.errorString().contains(QLatin1String("not-an-address")));

    options = TestOptions();
    options.replyFromAddress = QStringLiteral("127.0.0.300");
    PicnicSimulator badReply(options);
    QVERIFY(!badReply.start());
    QVERIFY(badReply.errorString().contains(QLatin1String("127.0.0.300")));
    QCOMPARE(badReply.port(), std::uint16_t(0));
}

QTEST_GUILESS_MAIN(PicnicSimulatorTest)
#include "PicnicSimulator_qtest.moc"

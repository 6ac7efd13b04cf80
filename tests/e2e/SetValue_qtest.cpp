#include <QtTest>

#include "setvalue/SetValueCodec.h"
#include "support/JournalCapture.h"
#include "support/LinkFixture.h"
#include "support/SetValuePeer.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;
using test::BinaryRequest;
using test::BoardAt;
using test::JournalCapture;
using test::LinkFixture;
using Peer = test::SetValuePeer;

namespace {

const QHostAddress kOutsider(QStringLiteral("127.0.0.2"));

qsizetype DrivingRelayCommands(const picnic::PicnicSimulator& board) {
    return std::count_if(board.commands().begin(), board.commands().end(),
                         [](const picnic::ReceivedCommand& command) {
                             return command.kind == picnic::CommandKind::Relay &&
                                    command.bytes.size() == 5 && command.bytes[4] != 0;
                         });
}

} // namespace

class SetValueTest : public QObject {
    Q_OBJECT
private slots:
    void asciiRequestMovesTheAntennaWithTheSelectorAtRemote();
    void binaryRequestSetsWholeDegreesAndAnswersTwentyBytes();
    void requestsWithoutBothSetValuesAreReadOnlyQueries();
    void aBurstGetsAReplyEach();
    void oversizedDatagramIsDroppedAndTheNextAnswered();
    void servicesCloseWithStop();
    void refusedSenderIsNotAnsweredAndMovesNothingWhileAnAllowedOneIsServed();
};

void SetValueTest::asciiRequestMovesTheAntennaWithTheSelectorAtRemote() {
    LinkFixture link(BoardAt(100, 30, 8), "Local_Remote_Selector=3\n");
    link.start();
    Peer peer;
    const QNetworkDatagram first = peer.ask("tracker,120,45", link.ascPort);
    QCOMPARE(first.data().size(), 45);
    QCOMPARE(link.dlg().m_dRemoteSetAz, 120.0);
    QCOMPARE(link.dlg().m_dAzTarget, 120.0);
    QCOMPARE(link.window->text(ui::ctl::RemoteAz), QStringLiteral("  120.00"));
    QCOMPARE(link.window->text(ui::ctl::RemoteEl), QStringLiteral("   45.00"));
    // The antenna turns; later replies report the angles it reached.
    QTRY_VERIFY_WITH_TIMEOUT(link.board.modelNow().angle(picnic::Axis::Azimuth) > 110, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const QList<QByteArray> fields = peer.ask("?", link.ascPort).data().split(',');
            return fields.size() == 6 && fields[1].trimmed().toDouble() > 110 &&
                   fields[2].trimmed().toDouble() > 35;
        }(),
        15000);
    link.dlg().OnStop();
}

void SetValueTest::binaryRequestSetsWholeDegreesAndAnswersTwentyBytes() {
    LinkFixture link(BoardAt(50, 10, 0), "Local_Remote_Selector=2\nLocal_Set_Az_Ang=50\n");
    link.start();
    // Wait for a control step, so the reply carries measured angles.
    QTRY_VERIFY_WITH_TIMEOUT(link.dlg().m_dAzAngle > 49, 3000);
    Peer peer;
    const QNetworkDatagram reply = peer.ask(BinaryRequest(123456, 45999), link.binPort);
    QCOMPARE(reply.data().size(), 20);
    QCOMPARE(reply.data().first(4), QByteArray(4, '\0'));
    QCOMPARE(link.dlg().m_dRemoteSetAz, 123.0);
    QCOMPARE(link.dlg().m_dRemoteSetEl, 45.0);
    // With the selector at Local the targets stay on the Local source.
    QCOMPARE(link.dlg().m_dAzTarget, 50.0);
    const QByteArray expected = setvalue::BuildBinaryReply(
        {link.dlg().m_dAzAngle, link.dlg().m_dElAngle, link.dlg().m_dAzVolt, link.dlg().m_dElVolt});
    QCOMPARE(reply.data(), expected);
    QCOMPARE(reply.senderPort(), int(link.binPort));
    link.dlg().OnStop();
}

void SetValueTest::requestsWithoutBothSetValuesAreReadOnlyQueries() {
    LinkFixture link(BoardAt(0, 0, 0), "Local_Remote_Selector=3\n");
    link.start();
    Peer peer;
    QCOMPARE(peer.ask("x,10,20", link.ascPort).data().size(), 45);
    const struct {
        QByteArray request;
        bool binary;
        double az, el;
    } cases[] = {
        {"?", false, 10, 20},
        {"", true, 10, 20},
        {QByteArray(11, '\x7f'), true, 10, 20},
        {"x,30", false, 30, 20},
    };
    for (const auto& c : cases) {
        const QNetworkDatagram reply = peer.ask(c.request, c.binary ? link.binPort : link.ascPort);
        QCOMPARE(reply.data().size(), c.binary ? 20 : 45);
        QCOMPARE(link.dlg().m_dRemoteSetAz, c.az);
        QCOMPARE(link.dlg().m_dRemoteSetEl, c.el);
    }
    link.dlg().OnStop();
}

void SetValueTest::aBurstGetsAReplyEach() {
    LinkFixture link(BoardAt(0, 0, 0), "Local_Remote_Selector=3\n");
    link.start();
    Peer peer;
    // As many as the receivers' socket buffers hold while the window is not yet reading.
    constexpr int kBurst = 100;
    for (int i = 0; i < kBurst; ++i) {
        peer.send("x," + QByteArray::number(i) + ",1", link.ascPort);
        peer.send(BinaryRequest(1000u * i, 1000), link.binPort);
    }
    QCOMPARE(peer.replies(2 * kBurst, 5000).size(), 2 * kBurst);
    QCOMPARE(link.dlg().m_dRemoteSetAz, double(kBurst - 1));
    link.dlg().OnStop();
}

void SetValueTest::oversizedDatagramIsDroppedAndTheNextAnswered() {
    LinkFixture link(BoardAt(0, 0, 0));
    link.start();
    Peer peer;
    peer.send("x,1,2" + QByteArray(1500, ' '), link.ascPort);
    peer.send("x,3,4" + QByteArray(1495, ' '), link.ascPort);
    const QList<QNetworkDatagram> replies = peer.replies(2, 1000);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(link.dlg().m_dRemoteSetAz, 3.0);
    link.dlg().OnStop();
}

void SetValueTest::servicesCloseWithStop() {
    LinkFixture link(BoardAt(0, 0, 0));
    link.start();
    link.dlg().OnStop();
    Peer peer;
    peer.send("x,1,2", link.ascPort);
    peer.send(BinaryRequest(1000, 2000), link.binPort);
    QVERIFY(peer.replies(1, 500).isEmpty());
    QCOMPARE(link.dlg().m_dRemoteSetAz, 0.0);
}

void SetValueTest::refusedSenderIsNotAnsweredAndMovesNothingWhileAnAllowedOneIsServed() {
    JournalCapture journal;
    // On target at start: the remote set values are 0 and so is the antenna.
    LinkFixture link(BoardAt(0, 0, 10), "Local_Remote_Selector=3\nSetValue_Allow= 127.0.0.1 \n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    QCOMPARE(JournalCapture::count(QStringLiteral("set values only from 127.0.0.1")), 1);

    Peer outsider(kOutsider);
    Peer otherPortOfTheOutsider(kOutsider);
    for (Peer* peer : {&outsider, &otherPortOfTheOutsider}) {
        peer->send("tracker,200,60", link.ascPort);
        peer->send(BinaryRequest(200000, 60000), link.binPort);
    }
    // Each service handles its datagrams in order, so once the allowed queries are answered the
    // outsider's requests have been dealt with.
    Peer allowed;
    QCOMPARE(allowed.ask("?", link.ascPort).data().size(), 45);
    QCOMPARE(allowed.ask("", link.binPort).data().size(), 20);
    QCOMPARE(outsider.pending() + otherPortOfTheOutsider.pending(), 0);
    QCOMPARE(link.dlg().m_dRemoteSetAz, 0.0);
    QCOMPARE(link.dlg().m_dAzTarget, 0.0);
    QCOMPARE(JournalCapture::count(QStringLiteral("refused set-value sender 127.0.0.2")), 1);
    QCOMPARE(JournalCapture::count(QStringLiteral("new set-value peer 127.0.0.2")), 0);
    QCOMPARE(JournalCapture::count(QStringLiteral("new set-value peer 127.0.0.1")), 1);

    // Two control steps later the antenna has not been driven.
    const std::uint64_t relaysBefore = link.board.receivedCount(picnic::CommandKind::Relay);
    QTRY_VERIFY_WITH_TIMEOUT(
        link.board.receivedCount(picnic::CommandKind::Relay) >= relaysBefore + 4, 10000);
    QCOMPARE(DrivingRelayCommands(link.board), 0);

    QCOMPARE(allowed.ask("tracker,20,10", link.ascPort).data().size(), 45);
    QCOMPARE(link.dlg().m_dAzTarget, 20.0);
    QTRY_VERIFY_WITH_TIMEOUT(DrivingRelayCommands(link.board) > 0, 10000);
    link.dlg().OnStop();
}

QTEST_MAIN(SetValueTest)
#include "SetValue_qtest.moc"

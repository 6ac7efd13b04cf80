#include <QtTest>

#include "support/JournalCapture.h"
#include "support/LinkFixture.h"
#include "support/SetValuePeer.h"

using namespace zenko;
using test::BinaryRequest;
using test::BoardAt;
using test::JournalCapture;
using test::LinkFixture;
using test::SetValuePeer;

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

class SetValueAllowTest : public QObject {
    Q_OBJECT
private slots:
    void refusedSenderIsNotAnsweredAndMovesNothingWhileAnAllowedOneIsServed();
    void listThatDoesNotParseRefusesStartAndSendsNothing_data();
    void listThatDoesNotParseRefusesStartAndSendsNothing();
};

void SetValueAllowTest::refusedSenderIsNotAnsweredAndMovesNothingWhileAnAllowedOneIsServed() {
    JournalCapture journal;
    // On target at start: the remote set values are 0 and so is the antenna.
    LinkFixture link(BoardAt(0, 0, 10), "Local_Remote_Selector=3\nSetValue_Allow= 127.0.0.1 \n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    QCOMPARE(JournalCapture::count(QStringLiteral("set values only from 127.0.0.1")), 1);

    SetValuePeer outsider(kOutsider);
    SetValuePeer otherPortOfTheOutsider(kOutsider);
    for (SetValuePeer* peer : {&outsider, &otherPortOfTheOutsider}) {
        peer->send("tracker,200,60", link.ascPort);
        peer->send(BinaryRequest(200000, 60000), link.binPort);
    }
    // Each service handles its datagrams in order, so once the allowed queries are answered the
    // outsider's requests have been dealt with.
    SetValuePeer allowed;
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

void SetValueAllowTest::listThatDoesNotParseRefusesStartAndSendsNothing_data() {
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty entry") << QByteArray("127.0.0.1,,192.0.2.1")
                                 << QStringLiteral("SetValue_Allow entry 2 is empty !");
    QTest::newRow("prefix 33") << QByteArray("10.0.0.0/33")
                               << QStringLiteral("SetValue_Allow entry 1 \"10.0.0.0/33\" is "
                                                 "invalid !");
}

void SetValueAllowTest::listThatDoesNotParseRefusesStartAndSendsNothing() {
    QFETCH(QByteArray, list);
    QFETCH(QString, message);
    JournalCapture journal;
    LinkFixture link(BoardAt(0, 0, 0), "SetValue_Allow=" + list + "\n");
    link.dlg().OnStart();
    QVERIFY(!link.dlg().m_bRunning);
    QCOMPARE(link.window->messages.messages, QStringList{message});
    QCOMPARE(JournalCapture::count(QStringLiteral("start refused: ") + message), 1);
    // Nothing was opened, so nothing can have gone to the board or been served.
    QVERIFY(!link.dlg().m_sockBin.isCreated());
    QVERIFY(!link.dlg().m_sockIoDir.isCreated());
    QVERIFY(!link.dlg().m_sockAzControl.isCreated());
    QCOMPARE(link.board.receivedCount(), 0u);
}

QTEST_MAIN(SetValueAllowTest)
#include "SetValueAllow_qtest.moc"

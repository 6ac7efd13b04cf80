#include "platform/DatagramSocket.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

using zenko::platform::DatagramSocket;
using zenko::platform::ReceivedDatagram;

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
// Long enough that a datagram still on its way would have arrived; only used where nothing
// more may happen, so a slow machine makes the check weaker, never flaky.
constexpr int kQuietMs = 300;

// Records every notification; by default reads one datagram per notification.
class Probe : public DatagramSocket {
public:
    explicit Probe(const QString& address = QStringLiteral("127.0.0.1")) {
        created = Create(0, kAllEvents, address);
    }
    bool created = false;
    int notifications = 0;
    std::vector<int> errorCodes;
    std::vector<std::optional<ReceivedDatagram>> reads;
    bool readsOnNotification = true;
    // Runs last in OnReceive, from a copy, so it may destroy the probe.
    std::function<void(Probe&)> afterRead;

    void read() { reads.push_back(ReceiveFrom()); }
    QByteArray lastBytes() const {
        return reads.empty() || !reads.back() ? QByteArray() : reads.back()->bytes;
    }

protected:
    void OnReceive(int errorCode) override {
        ++notifications;
        errorCodes.push_back(errorCode);
        if (readsOnNotification) {
            read();
        }
        if (afterRead) {
            const std::function<void(Probe&)> callback = afterRead;
            callback(*this);
        }
    }
};

void sendNumbered(DatagramSocket& from, const DatagramSocket& to, int count) {
    for (int i = 0; i < count; ++i) {
        QVERIFY(from.SendTo(QByteArray::number(i), kLoopback, to.localPort()));
    }
}

} // namespace

class DatagramSocketTest : public QObject {
    Q_OBJECT

private slots:
    void createAcceptsOnlyIpv4Addresses_data();
    void createAcceptsOnlyIpv4Addresses();
    void roundTripCarriesBytesAndSender_data();
    void roundTripCarriesBytesAndSender();
    void portInUseFailsUntilReleased();
    void portSharedByAnotherProgramStillFails();
    void createAgainClosesFirst();
    void closedSocketRefusesEverything();
    void receiveLimit_data();
    void receiveLimit();
    void burstGetsOneNotificationPerDatagram();
    void unreadDatagramsAreDiscardedWithoutSpinning();
    void handlerMayCloseOrDestroy_data();
    void handlerMayCloseOrDestroy();
    void nestedLoopInHandlerNeitherRecursesNorStrands();
};

void DatagramSocketTest::createAcceptsOnlyIpv4Addresses_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("any") << "0.0.0.0" << true;
    QTest::newRow("loopback") << "127.0.0.1" << true;
    QTest::newRow("words") << "not-an-address" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("host name") << "localhost" << false;
    QTest::newRow("octet too large") << "127.0.0.256" << false;
    QTest::newRow("IPv6 loopback") << "::1" << false;
}

void DatagramSocketTest::createAcceptsOnlyIpv4Addresses() {
    QFETCH(QString, address);
    QFETCH(bool, accepted);
    DatagramSocket socket;
    QCOMPARE(socket.Create(0, DatagramSocket::kAllEvents, address), accepted);
    QCOMPARE(socket.isCreated(), accepted);
    QCOMPARE(socket.localPort() != 0, accepted);
}

void DatagramSocketTest::roundTripCarriesBytesAndSender_data() {
    QTest::addColumn<QString>("receiverAddress");
    QTest::newRow("bound to loopback") << "127.0.0.1";
    QTest::newRow("bound to any") << "0.0.0.0";
}

void DatagramSocketTest::roundTripCarriesBytesAndSender() {
    QFETCH(QString, receiverAddress);
    Probe sender;
    Probe receiver(receiverAddress);
    QVERIFY(sender.created && receiver.created);
    const QByteArray payload("\x00\x01\xFF\x80 zero and high bytes", 24);
    QVERIFY(sender.SendTo(payload, kLoopback, receiver.localPort()));
    QTRY_COMPARE(receiver.notifications, 1);
    QVERIFY(receiver.reads.at(0).has_value());
    QCOMPARE(receiver.reads.at(0)->bytes, payload);
    QCOMPARE(receiver.reads.at(0)->senderAddress, kLoopback);
    QCOMPARE(receiver.reads.at(0)->senderPort, sender.localPort());
    QCOMPARE(receiver.errorCodes, std::vector<int>{0});

    QVERIFY(receiver.SendTo("reply", kLoopback, sender.localPort()));
    QTRY_COMPARE(sender.lastBytes(), QByteArray("reply"));
    QCOMPARE(sender.reads.back()->senderPort, receiver.localPort());
}

void DatagramSocketTest::portInUseFailsUntilReleased() {
    Probe first;
    QVERIFY(first.created);
    const std::uint16_t port = first.localPort();
    DatagramSocket second;
    QVERIFY(!second.Create(port, DatagramSocket::kAllEvents, "127.0.0.1"));
    QVERIFY(!second.Create(port, DatagramSocket::kAllEvents, "0.0.0.0"));
    QVERIFY(!second.isCreated());
    QCOMPARE(second.localPort(), 0);
    first.Close();
    QVERIFY(second.Create(port, DatagramSocket::kAllEvents, "127.0.0.1"));
    QCOMPARE(second.localPort(), port);
}

void DatagramSocketTest::portSharedByAnotherProgramStillFails() {
    // Sharing needs both sockets to ask for it, so this only fails if ours does not.
    QUdpSocket sharing;
    QVERIFY(sharing.bind(QHostAddress::LocalHost, 0,
                         QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
    DatagramSocket socket;
    QVERIFY(!socket.Create(sharing.localPort(), DatagramSocket::kAllEvents, "127.0.0.1"));
}

void DatagramSocketTest::createAgainClosesFirst() {
    Probe probe;
    const std::uint16_t port = probe.localPort();
    QVERIFY(probe.Create(port, DatagramSocket::kAllEvents, "127.0.0.1"));
    QCOMPARE(probe.localPort(), port);

    Probe sender;
    QVERIFY(sender.SendTo("still heard", kLoopback, port));
    QTRY_COMPARE(probe.lastBytes(), QByteArray("still heard"));
    QCOMPARE(probe.notifications, 1);
}

void DatagramSocketTest::closedSocketRefusesEverything() {
    Probe receiver;
    Probe probe;
    QVERIFY(probe.SendTo("queued", kLoopback, probe.localPort()));
    probe.Close();
    probe.Close();
    QVERIFY(!probe.isCreated());
    QCOMPARE(probe.localPort(), 0);
    QVERIFY(!probe.SendTo("x", kLoopback, receiver.localPort()));
    QVERIFY(!probe.ReceiveFrom().has_value());
    QTest::qWait(kQuietMs);
    QCOMPARE(probe.notifications, 0);
    QCOMPARE(receiver.notifications, 0);
}

void DatagramSocketTest::receiveLimit_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << 0 << true;
    QTest::newRow("one byte") << 1 << true;
    QTest::newRow("limit") << DatagramSocket::kReceiveLimit << true;
    QTest::newRow("one over") << DatagramSocket::kReceiveLimit + 1 << false;
    QTest::newRow("largest IPv4 datagram") << 65507 << false;
}

void DatagramSocketTest::receiveLimit() {
    QFETCH(int, size);
    QFETCH(bool, accepted);
    Probe sender;
    Probe receiver;
    const QByteArray payload(size, 'p');
    QVERIFY(sender.SendTo(payload, kLoopback, receiver.localPort()));
    QVERIFY(sender.SendTo("next", kLoopback, receiver.localPort()));
    // A rejected datagram counts as read: the one behind it must not be thrown away for it.
    QTRY_COMPARE(receiver.notifications, 2);
    QCOMPARE(receiver.reads.at(0).has_value(), accepted);
    if (accepted) {
        QCOMPARE(receiver.reads.at(0)->bytes, payload);
    }
    QCOMPARE(receiver.lastBytes(), QByteArray("next"));
}

void DatagramSocketTest::burstGetsOneNotificationPerDatagram() {
    constexpr int kBurst = 200;
    Probe sender;
    Probe receiver;
    sendNumbered(sender, receiver, kBurst);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.notifications, kBurst, 10000);
    for (int i = 0; i < kBurst; ++i) {
        QVERIFY(receiver.reads.at(i).has_value());
        QCOMPARE(receiver.reads.at(i)->bytes, QByteArray::number(i));
    }
    QTest::qWait(kQuietMs);
    QCOMPARE(receiver.notifications, kBurst);
}

void DatagramSocketTest::unreadDatagramsAreDiscardedWithoutSpinning() {
    constexpr int kBurst = 50;
    Probe sender;
    Probe sendOnly;
    sendOnly.readsOnNotification = false;
    sendNumbered(sender, sendOnly, kBurst);
    QTRY_COMPARE_WITH_TIMEOUT(sendOnly.notifications, kBurst, 10000);
    QTest::qWait(kQuietMs);
    QCOMPARE(sendOnly.notifications, kBurst);
    QVERIFY(!sendOnly.ReceiveFrom().has_value());

    sendOnly.readsOnNotification = true;
    QVERIFY(sender.SendTo("later", kLoopback, sendOnly.localPort()));
    QTRY_COMPARE(sendOnly.notifications, kBurst + 1);
    QCOMPARE(sendOnly.lastBytes(), QByteArray("later"));
}

namespace {

enum class HandlerAction { Close, CloseWithoutReading, CloseTwice, Reopen, Destroy };

} // namespace

void DatagramSocketTest::handlerMayCloseOrDestroy_data() {
    QTest::addColumn<HandlerAction>("action");
    QTest::newRow("close") << HandlerAction::Close;
    QTest::newRow("close without reading") << HandlerAction::CloseWithoutReading;
    QTest::newRow("close twice") << HandlerAction::CloseTwice;
    QTest::newRow("close and reopen the port") << HandlerAction::Reopen;
    QTest::newRow("destroy the socket") << HandlerAction::Destroy;
}

void DatagramSocketTest::handlerMayCloseOrDestroy() {
    QFETCH(HandlerAction, action);
    Probe sender;
    auto owned = std::make_unique<Probe>();
    Probe* const probe = owned.get();
    const std::uint16_t port = probe->localPort();
    // Counted here, since the probe may be gone.
    int handled = 0;
    bool reopened = false;
    probe->readsOnNotification = action != HandlerAction::CloseWithoutReading;
    probe->afterRead = [&](Probe& self) {
        if (++handled > 1) {
            return;
        }
        switch (action) {
        case HandlerAction::Close:
        case HandlerAction::CloseWithoutReading:
            self.Close();
            break;
        case HandlerAction::CloseTwice:
            self.Close();
            self.Close();
            break;
        case HandlerAction::Reopen:
            self.Close();
            reopened = self.Create(port, DatagramSocket::kAllEvents, "127.0.0.1");
            break;
        case HandlerAction::Destroy:
            owned.reset();
            break;
        }
    };
    sendNumbered(sender, *probe, 5);
    QTRY_COMPARE(handled, 1);
    // The datagrams queued behind the first went with the closed socket.
    QTest::qWait(kQuietMs);
    QCOMPARE(handled, 1);
    if (action == HandlerAction::Destroy) {
        QVERIFY(!owned);
        return;
    }
    QCOMPARE(probe->isCreated(), action == HandlerAction::Reopen);
    if (action == HandlerAction::Reopen) {
        QVERIFY(reopened);
        QCOMPARE(probe->localPort(), port);
        QVERIFY(sender.SendTo("after reopening", kLoopback, port));
        QTRY_COMPARE(probe->notifications, 2);
        QCOMPARE(probe->lastBytes(), QByteArray("after reopening"));
    }
}

void DatagramSocketTest::nestedLoopInHandlerNeitherRecursesNorStrands() {
    constexpr int kQueued = 20;
    Probe sender;
    Probe other;
    Probe probe;
    int depth = 0;
    int deepest = 0;
    bool otherHeardDuringLoop = false;
    probe.afterRead = [&](Probe& self) {
        ++depth;
        deepest = std::max(deepest, depth);
        if (self.notifications == 1) {
            // Stands in for a message box opened by the handler.
            QEventLoop modal;
            QTimer::singleShot(10000, &modal, &QEventLoop::quit);
            other.afterRead = [&](Probe&) {
                otherHeardDuringLoop = true;
                modal.quit();
            };
            sendNumbered(sender, self, kQueued);
            QVERIFY(sender.SendTo("other", kLoopback, other.localPort()));
            modal.exec();
            other.afterRead = nullptr;
        }
        --depth;
    };
    QVERIFY(sender.SendTo("first", kLoopback, probe.localPort()));
    QTRY_COMPARE_WITH_TIMEOUT(probe.notifications, 1 + kQueued, 15000);
    QVERIFY(otherHeardDuringLoop);
    QCOMPARE(deepest, 1);
    QCOMPARE(probe.lastBytes(), QByteArray::number(kQueued - 1));
    QTest::qWait(kQuietMs);
    QCOMPARE(probe.notifications, 1 + kQueued);
}

QTEST_GUILESS_MAIN(DatagramSocketTest)
#include "DatagramSocket_qtest.moc"

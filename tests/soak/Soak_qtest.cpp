#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

#include "support/LinkFixture.h"

using namespace zenko;
using test::LinkFixture;

namespace {

// Resident memory of this process in KiB.
qint64 ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return 0;
}

int SoakSeconds() {
    const int seconds = qEnvironmentVariableIntValue("ZENKO_SOAK_SECONDS");
    return seconds > 0 ? seconds : 20;
}

// Memory the run may add once warmed up: generous for allocator noise, far below a leak of
// anything per request.
constexpr qint64 kGrowthBoundKiB = 16 * 1024;

// AddressSanitizer holds freed memory in quarantine, so resident memory grows by design; there
// LeakSanitizer's report at exit is the check instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentMemoryMeaningful = false;
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif

} // namespace

// The real window against the simulated board under a mix of good and bad traffic, board
// pauses and Stop/Start cycles, for ZENKO_SOAK_SECONDS (20 s unless told).
class SoakTest : public QObject {
    Q_OBJECT
private slots:
    void survivesMixedTrafficAndLeavesTheRelaysOff();
};

void SoakTest::survivesMixedTrafficAndLeavesTheRelaysOff() {
    picnic::SimulatorOptions board;
    board.model.azimuth.startAngle = 60;
    board.model.elevation.startAngle = 20;
    board.model.azimuth.speed = 8;
    board.model.elevation.speed = 4;
    LinkFixture link(board, "Local_Remote_Selector=3\n");
    CControllerDlg& w = link.dlg();
    w.show();
    link.start();
    QVERIFY(w.m_bRunning);

    QUdpSocket peer;
    QVERIFY(peer.bind(QHostAddress::LocalHost, 0));
    QUdpSocket foreign;
    const bool haveForeign = foreign.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    QRandomGenerator random(20261207);

    int stops = 0;
    int stopsLeftDriving = 0;
    int requests = 0;
    qint64 warmedUpKiB = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 durationMs = SoakSeconds() * 1000LL;
    QElapsedTimer sinceCycle;
    sinceCycle.start();

    while (clock.elapsed() < durationMs) {
        for (int burst = 0; burst < 20; ++burst) {
            ++requests;
            switch (random.bounded(8)) {
            case 0: {
                const QByteArray request = "track," + QByteArray::number(random.bounded(40, 160)) +
                                           "," + QByteArray::number(random.bounded(5, 80));
                peer.writeDatagram(request, QHostAddress::LocalHost, link.ascPort);
                break;
            }
            case 1: {
                QByteArray request(12, '\0');
                request[6] = static_cast<char>(random.bounded(256));
                peer.writeDatagram(request, QHostAddress::LocalHost, link.binPort);
                break;
            }
            case 2:
                peer.writeDatagram(QByteArray(), QHostAddress::LocalHost, link.binPort);
                break;
            case 3: {
                QByteArray noise(random.bounded(1, 64), '\0');
                for (char& byte : noise) {
                    byte = static_cast<char>(random.bounded(256));
                }
                peer.writeDatagram(noise, QHostAddress::LocalHost,
                                   random.bounded(2) ? link.ascPort : link.binPort);
                break;
            }
            case 4:
                peer.writeDatagram(QByteArray(1600, 'x'), QHostAddress::LocalHost, link.ascPort);
                break;
            case 5:
                if (haveForeign && w.m_sockAzAdc.isCreated()) {
                    foreign.writeDatagram(QByteArray::fromHex("048100000300"),
                                          QHostAddress::LocalHost, w.m_sockAzAdc.localPort());
                }
                break;
            case 6:
                peer.writeDatagram("?", QHostAddress::LocalHost, link.ascPort);
                break;
            default:
                link.board.setAnswerAdc(random.bounded(4) != 0);
                break;
            }
        }
        QTest::qWait(20);
        while (peer.hasPendingDatagrams()) {
            peer.receiveDatagram();
        }
        if (sinceCycle.elapsed() > 3000) {
            sinceCycle.restart();
            w.OnStop();
            ++stops;
            // The off commands were the last the board received.
            if (!QTest::qWaitFor([&] { return link.board.modelNow().relayByte() == 0; }, 3000)) {
                ++stopsLeftDriving;
            }
            link.board.setAnswerAdc(true);
            link.start();
            QVERIFY(w.m_bRunning);
        }
        if (warmedUpKiB == 0 && clock.elapsed() > durationMs / 4) {
            warmedUpKiB = ResidentKiB();
        }
    }

    // Still answering.
    link.board.setAnswerAdc(true);
    peer.writeDatagram("?", QHostAddress::LocalHost, link.ascPort);
    QTRY_VERIFY_WITH_TIMEOUT(peer.hasPendingDatagrams(), 3000);
    QCOMPARE(peer.receiveDatagram().data().size(), 45);

    const qint64 endKiB = ResidentKiB();
    qInfo("soak: %lld s, %d requests, %d Stop/Start cycles, resident %lld KiB -> %lld KiB",
          static_cast<long long>(clock.elapsed() / 1000), requests, stops,
          static_cast<long long>(warmedUpKiB), static_cast<long long>(endKiB));
    QCOMPARE(stopsLeftDriving, 0);
    if (kResidentMemoryMeaningful) {
        QVERIFY2(endKiB - warmedUpKiB < kGrowthBoundKiB,
                 qPrintable(QStringLiteral("grew %1 KiB").arg(endKiB - warmedUpKiB)));
    }

    // Leaving the program while running leaves both axes off as well.
    w.close();
    QTRY_COMPARE_WITH_TIMEOUT(int(link.board.modelNow().relayByte()), 0, 3000);
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(SoakTest)
#include "Soak_qtest.moc"

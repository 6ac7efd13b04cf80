#include "platform/WindowTimers.h"

#include <limits>
#include <map>
#include <vector>

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using zenko::platform::WindowTimers;

// Timing checks use bounds a loaded shared machine still meets: lower bounds where a timer must
// not fire early, upper bounds derived from the time that really passed, never exact counts.
class WindowTimersTest : public QObject {
    Q_OBJECT

private slots:
    void clampPeriod_data();
    void clampPeriod();
    void setTimerAppliesTheClampedPeriod();
    void timersArePreciseAndPeriodic();
    void expiresPeriodically();
    void resettingRestartsThePeriod();
    void resettingTakesTheNewPeriod();
    void killFromInsideTheHandlerStopsIt();
    void handlerMayStartAnotherIdAndKillItself();
    void killingUnknownOrStoppedIdsIsHarmless();
    void idsAreIndependent();
    void zeroPeriodDoesNotSpin();
};

void WindowTimersTest::clampPeriod_data() {
    QTest::addColumn<qint64>("requested");
    QTest::addColumn<int>("expected");
    QTest::newRow("zero") << qint64(0) << 10;
    QTest::newRow("negative") << qint64(-1) << 10;
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << 10;
    QTest::newRow("just below minimum") << qint64(9) << 10;
    QTest::newRow("minimum") << qint64(10) << 10;
    QTest::newRow("just above minimum") << qint64(11) << 11;
    QTest::newRow("relay pulse") << qint64(50) << 50;
    QTest::newRow("maximum") << qint64(0x7FFFFFFF) << 0x7FFFFFFF;
    QTest::newRow("just above maximum") << qint64(0x80000000) << 0x7FFFFFFF;
    QTest::newRow("2^32 + 5 does not wrap") << qint64(0x100000005) << 0x7FFFFFFF;
    QTest::newRow("2^40") << (qint64(1) << 40) << 0x7FFFFFFF;
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << 0x7FFFFFFF;
}

void WindowTimersTest::clampPeriod() {
    QFETCH(qint64, requested);
    QFETCH(int, expected);
    QCOMPARE(WindowTimers::ClampPeriod(requested), expected);
}

void WindowTimersTest::setTimerAppliesTheClampedPeriod() {
    WindowTimers timers([](unsigned) {});
    timers.setTimer(10, 0);
    timers.setTimer(100, qint64(1) << 40);
    timers.setTimer(200, -5);
    QCOMPARE(timers.period(10), 10);
    QCOMPARE(timers.period(100), 0x7FFFFFFF);
    QCOMPARE(timers.period(200), 10);
    QVERIFY(timers.isRunning(100));
}

void WindowTimersTest::timersArePreciseAndPeriodic() {
    WindowTimers timers([](unsigned) {});
    timers.setTimer(10, 50);
    timers.setTimer(100, 1000);
    const auto children = timers.findChildren<QTimer*>();
    QCOMPARE(children.size(), 2);
    for (const QTimer* timer : children) {
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
        QVERIFY(!timer->isSingleShot());
    }
}

void WindowTimersTest::expiresPeriodically() {
    int count = 0;
    WindowTimers timers([&](unsigned id) {
        QCOMPARE(id, 10u);
        ++count;
    });
    QElapsedTimer clock;
    clock.start();
    timers.setTimer(10, 20);
    QTRY_VERIFY_WITH_TIMEOUT(count >= 5, 5000);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(count >= 5, qPrintable(QString::number(count)));
    QVERIFY2(count <= elapsed / 20 + 1, qPrintable(QString::number(count)));
    QVERIFY(timers.isRunning(10));
    QCOMPARE(timers.period(10), 20);
}

// Re-setting a running id, even with the same period, pushes its expiry a full period away.
void WindowTimersTest::resettingRestartsThePeriod() {
    int count = 0;
    QElapsedTimer sinceLastSet;
    qint64 firstExpiry = -1;
    WindowTimers timers([&](unsigned) {
        if (count++ == 0) {
            firstExpiry = sinceLastSet.elapsed();
        }
    });
    sinceLastSet.start();
    timers.setTimer(10, 1000);
    for (int i = 0; i < 4; ++i) {
        QTest::qWait(100);
        sinceLastSet.start();
        timers.setTimer(10, 1000);
    }
    QCOMPARE(count, 0);
    QTRY_VERIFY_WITH_TIMEOUT(count > 0, 10000);
    QVERIFY2(firstExpiry >= 950, qPrintable(QString::number(firstExpiry)));
}

// A long period replaced by a short one: neither the old deadline nor the old phase survives.
void WindowTimersTest::resettingTakesTheNewPeriod() {
    int count = 0;
    QElapsedTimer sinceLastSet;
    qint64 firstExpiry = -1;
    WindowTimers timers([&](unsigned) {
        if (count++ == 0) {
            firstExpiry = sinceLastSet.elapsed();
        }
    });
    timers.setTimer(10, 5000);
    QTest::qWait(200);
    sinceLastSet.start();
    timers.setTimer(10, 400);
    QCOMPARE(timers.period(10), 400);
    QTRY_VERIFY_WITH_TIMEOUT(count > 0, 10000);
    QVERIFY2(firstExpiry >= 380, qPrintable(QString::number(firstExpiry)));
    QVERIFY2(firstExpiry < 4000, qPrintable(QString::number(firstExpiry)));
}

// Id 20 runs beside as a witness: each of its expiries was a chance for a live 10 to expire too.
void WindowTimersTest::killFromInsideTheHandlerStopsIt() {
    std::map<unsigned, int> counts;
    WindowTimers* self = nullptr;
    WindowTimers timers([&](unsigned id) {
        ++counts[id];
        if (id == 10) {
            self->killTimer(id);
        }
    });
    self = &timers;
    timers.setTimer(10, 10);
    timers.setTimer(20, 10);
    QTRY_VERIFY_WITH_TIMEOUT(counts[20] >= 10, 5000);
    QCOMPARE(counts[10], 1);
    QVERIFY(!timers.isRunning(10));
    QCOMPARE(timers.period(10), -1);

    // The stopped timer is reused for the next set.
    timers.setTimer(10, 10);
    const int witnessed = counts[20];
    QTRY_VERIFY_WITH_TIMEOUT(counts[20] >= witnessed + 10, 5000);
    QCOMPARE(counts[10], 2);
}

void WindowTimersTest::handlerMayStartAnotherIdAndKillItself() {
    std::vector<unsigned> expiries;
    WindowTimers* self = nullptr;
    WindowTimers timers([&](unsigned id) {
        expiries.push_back(id);
        self->killTimer(id);
        if (id == 10) {
            self->setTimer(100, 10);
            self->setTimer(10, 10);
            self->killTimer(10);
        }
    });
    self = &timers;
    timers.setTimer(10, 10);
    QTRY_COMPARE_WITH_TIMEOUT(expiries.size(), std::size_t(2), 5000);
    QTest::qWait(100);
    QCOMPARE(expiries, (std::vector<unsigned>{10, 100}));
    QVERIFY(!timers.isRunning(10));
    QVERIFY(!timers.isRunning(100));
}

void WindowTimersTest::killingUnknownOrStoppedIdsIsHarmless() {
    int count = 0;
    WindowTimers timers([&](unsigned) { ++count; });
    timers.killTimer(999);
    QVERIFY(!timers.isRunning(999));
    QCOMPARE(timers.period(999), -1);
    timers.setTimer(10, 10);
    timers.killTimer(10);
    timers.killTimer(10);
    QVERIFY(!timers.isRunning(10));
    QTest::qWait(100);
    QCOMPARE(count, 0);
}

void WindowTimersTest::idsAreIndependent() {
    std::map<unsigned, int> counts;
    WindowTimers timers([&](unsigned id) { ++counts[id]; });
    timers.setTimer(10, 30);
    timers.setTimer(100, 30);
    timers.setTimer(200, 3000);
    timers.killTimer(100);
    // Id 100 had the same period as 10, so it had as many chances to expire.
    QTRY_VERIFY_WITH_TIMEOUT(counts[10] >= 3, 5000);
    QCOMPARE(counts[100], 0);
    QCOMPARE(counts[200], 0);
    QVERIFY(timers.isRunning(10));
    QVERIFY(!timers.isRunning(100));
    QCOMPARE(timers.period(10), 30);
    QCOMPARE(timers.period(200), 3000);
}

void WindowTimersTest::zeroPeriodDoesNotSpin() {
    int count = 0;
    WindowTimers timers([&](unsigned) { ++count; });
    QElapsedTimer clock;
    clock.start();
    timers.setTimer(10, 0);
    QTest::qWait(200);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(count >= 1, qPrintable(QString::number(count)));
    QVERIFY2(count <= elapsed / 10 + 2,
             qPrintable(QStringLiteral("%1 in %2 ms").arg(count).arg(elapsed)));
}

QTEST_GUILESS_MAIN(WindowTimersTest)
#include "WindowTimers_qtest.moc"

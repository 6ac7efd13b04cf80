#include "platform/TerminationSignals.h"

#include <csignal>

#include <QSignalSpy>
#include <QtTest>

using zenko::platform::TerminationSignals;

class TerminationSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void secondListenerRefusesAndTheFirstKeepsHearing();
};

// A second listener that took the pipe over would, when it ended, close it and give the signals
// back their default action: the raise below would then end this process.
void TerminationSignalsTest::secondListenerRefusesAndTheFirstKeepsHearing() {
    {
        TerminationSignals first;
        QVERIFY(first.isListening());
        QSignalSpy heard(&first, &TerminationSignals::received);
        {
            QTest::ignoreMessage(QtWarningMsg,
                                 "termination signals are already delivered to another listener");
            const TerminationSignals second;
            QVERIFY(!second.isListening());
        }
        QCOMPARE(::raise(SIGHUP), 0);
        QVERIFY(heard.wait(5000));
        QCOMPARE(heard.first().first().toInt(), SIGHUP);
    }
    // Once the owner has ended, the next one listens.
    const TerminationSignals next;
    QVERIFY(next.isListening());
}

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "TerminationSignals_qtest.moc"

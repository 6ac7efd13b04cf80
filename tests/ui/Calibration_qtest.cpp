#include <QtTest>

#include "support/TestSupport.h"

using namespace zenko;
using test::WindowFixture;

class CalibrationTest : public QObject {
    Q_OBJECT
private slots:
    void acceptedPointIsAppliedAndSavedAsTyped();
    void refusedPointChangesNothing_data();
    void refusedPointChangesNothing();
    void failedSaveIsToldOnceAndThePointStillHolds();
};

void CalibrationTest::acceptedPointIsAppliedAndSavedAsTyped() {
    const QByteArray ini = "; station notes\n[ZENKO]\nPICNIC_IP_1=127.0.0.1\n";
    WindowFixture fixture(&ini);
    CControllerDlg& w = *fixture.window;
    w.m_dAzVolt = 2.25;
    w.m_dElVolt = 2.25;
    w.m_strAzError = QStringLiteral("untouched");
    w.ApplyCalibrationPoint(2, QStringLiteral("  360.00"), QStringLiteral("   90.00"),
                            QStringLiteral("   4.500"), QStringLiteral("4.5V"));
    QVERIFY(fixture.messages.messages.isEmpty());
    QCOMPARE(w.m_dCalAzAng2, 360.0);
    QCOMPARE(w.m_dCalElVolt2, 4.5);
    QCOMPARE(w.m_dAzAngle, 180.0);
    QCOMPARE(w.m_dElAngle, 45.0);
    QCOMPARE(w.m_strAzAngle, QStringLiteral("  180.00"));
    QCOMPARE(w.m_strAzVolt, QStringLiteral("   2.250"));
    QCOMPARE(w.m_strAzError, QStringLiteral("untouched"));
    QCOMPARE(test::ReadFile(fixture.profile.path()),
             QByteArray("; station notes\n[ZENKO]\nPICNIC_IP_1=127.0.0.1\nCal_Az_Ang_2=  360.00\n"
                        "Cal_Az_Volt_2=   4.500\nCal_El_Ang_2=   90.00\nCal_El_Volt_2=4.5V\n"));
    // The next start reads the same point back.
    platform::RecordingMessageSink messages;
    CControllerDlg restarted(fixture.profile, messages);
    QCOMPARE(restarted.m_dCalAzAng2, 360.0);
    QCOMPARE(restarted.m_dCalElVolt2, 4.5);
}

void CalibrationTest::refusedPointChangesNothing_data() {
    QTest::addColumn<int>("point");
    QTest::addColumn<QString>("azVolt");
    QTest::addColumn<QString>("elVolt");
    QTest::addColumn<QString>("message");
    QTest::newRow("azimuth just inside 0.01 V") << 1 << "4.49"
                                                << "0"
                                                << "Az calibration error !";
    QTest::newRow("both too close: azimuth told") << 1 << "4.5"
                                                  << "4.5"
                                                  << "Az calibration error !";
    QTest::newRow("elevation too close") << 2 << "4.5"
                                         << "0.005"
                                         << "El calibration error !";
    QTest::newRow("letters read as 0 V") << 2 << "abc"
                                         << "4.5"
                                         << "Az calibration error !";
}

void CalibrationTest::refusedPointChangesNothing() {
    QFETCH(int, point);
    QFETCH(QString, azVolt);
    QFETCH(QString, elVolt);
    QFETCH(QString, message);
    WindowFixture fixture;
    CControllerDlg& w = *fixture.window;
    w.ApplyCalibrationPoint(point, QStringLiteral("10"), QStringLiteral("20"), azVolt, elVolt);
    QCOMPARE(fixture.messages.messages, QStringList{message});
    QCOMPARE(w.m_dCalAzAng1, 0.0);
    QCOMPARE(w.m_dCalAzAng2, 180.0);
    QCOMPARE(w.m_dCalAzVolt2, 4.5);
    QVERIFY(w.m_strAzAngle.isEmpty());
    QVERIFY(!QFile::exists(fixture.profile.path()));
}

void CalibrationTest::failedSaveIsToldOnceAndThePointStillHolds() {
    WindowFixture fixture;
    // A folder where the file should be: every write fails.
    QVERIFY(QDir().mkpath(fixture.profile.path()));
    CControllerDlg& w = *fixture.window;
    w.ApplyCalibrationPoint(1, QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("0.5"),
                            QStringLiteral("0.25"));
    QCOMPARE(fixture.messages.messages,
             QStringList{QStringLiteral("Configuration file write error !")});
    QCOMPARE(w.m_dCalAzAng1, 5.0);
    QCOMPARE(w.m_dCalElVolt1, 0.25);
}

QTEST_MAIN(CalibrationTest)
#include "Calibration_qtest.moc"

#include <QTemporaryDir>
#include <QtTest>

#include "tools/HamlibClient.h"
#include "tools/SerialConformance.h"

using zenko::rotctld::Protocol;

// Hamlib's Easycomm II and Rot2Prog drivers against the bridge.
class RotctldSerialHamlibTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void hamlibsDriverPointsTheAntenna_data();
    void hamlibsDriverPointsTheAntenna();

private:
    QTemporaryDir m_dir;
};

void RotctldSerialHamlibTest::initTestCase() {
    if (!zenko::test::RotctlInstalled()) {
        QSKIP(zenko::test::kNoRotctl);
    }
}

void RotctldSerialHamlibTest::hamlibsDriverPointsTheAntenna_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<bool>("parks");
    QTest::newRow("Easycomm II, rotctl -m 202") << 202 << Protocol::Easycomm2 << true;
    // Hamlib's Rot2Prog driver has no park.
    QTest::newRow("Rot2Prog, rotctl -m 901") << 901 << Protocol::Rot2Prog << false;
}

void RotctldSerialHamlibTest::hamlibsDriverPointsTheAntenna() {
    QFETCH(int, model);
    QFETCH(Protocol, protocol);
    QFETCH(bool, parks);
    zenko::test::ServeHamlibDriver(model, protocol, parks, m_dir.filePath(QString::number(model)));
}

QTEST_MAIN(RotctldSerialHamlibTest)
#include "RotctldSerialHamlib_qtest.moc"

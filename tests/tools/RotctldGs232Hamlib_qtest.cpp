#include <QTemporaryDir>
#include <QtTest>

#include "tools/HamlibClient.h"
#include "tools/SerialConformance.h"

using zenko::rotctld::Protocol;

// Hamlib's GS-232A and GS-232B drivers against the bridge; the Easycomm II and Rot2Prog drivers
// are in a binary of their own, so that the two can run side by side.
class RotctldGs232HamlibTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void hamlibsDriverPointsTheAntenna_data();
    void hamlibsDriverPointsTheAntenna();

private:
    QTemporaryDir m_dir;
};

void RotctldGs232HamlibTest::initTestCase() {
    if (!zenko::test::RotctlInstalled()) {
        QSKIP(zenko::test::kNoRotctl);
    }
}

void RotctldGs232HamlibTest::hamlibsDriverPointsTheAntenna_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<Protocol>("protocol");
    QTest::newRow("GS-232A, rotctl -m 601") << 601 << Protocol::Gs232a;
    QTest::newRow("GS-232B, rotctl -m 603") << 603 << Protocol::Gs232b;
}

void RotctldGs232HamlibTest::hamlibsDriverPointsTheAntenna() {
    QFETCH(int, model);
    QFETCH(Protocol, protocol);
    // The GS-232 interfaces have no park.
    zenko::test::ServeHamlibDriver(model, protocol, false, m_dir.filePath(QString::number(model)));
}

QTEST_MAIN(RotctldGs232HamlibTest)
#include "RotctldGs232Hamlib_qtest.moc"

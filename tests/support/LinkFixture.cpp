#include "support/LinkFixture.h"

#include <QRandomGenerator>
#include <QTest>
#include <QUdpSocket>

#include "ui/MainWindowTemplate.h"

namespace zenko::test {

picnic::SimulatorOptions BoardAt(double azimuth, double elevation, double speed) {
    picnic::SimulatorOptions options;
    options.model.azimuth.startAngle = azimuth;
    options.model.elevation.startAngle = elevation;
    options.model.azimuth.speed = speed;
    options.model.elevation.speed = speed;
    return options;
}

QByteArray LocalTarget(int azimuth, int elevation) {
    return "Local_Remote_Selector=2\nLocal_Set_Az_Ang=" + QByteArray::number(azimuth) +
           "\nLocal_Set_El_Ang=" + QByteArray::number(elevation) + "\n";
}

std::uint16_t FreeUdpPort() {
    // The controller holds ports as signed 16-bit numbers, so the system's ephemeral ports
    // (above 32767) would be refused: pick a free one below.
    static std::uint32_t next =
        20000 + static_cast<std::uint32_t>(QCoreApplication::applicationPid() % 9000);
    for (int attempt = 0; attempt < 2000; ++attempt) {
        const auto port = static_cast<std::uint16_t>(20000 + (next++ % 12000));
        QUdpSocket probe;
        if (probe.bind(QHostAddress::AnyIPv4, port, QUdpSocket::DontShareAddress)) {
            return port;
        }
    }
    return 0;
}

namespace {

picnic::SimulatorOptions OnFreePort(picnic::SimulatorOptions options) {
    options.port = FreeUdpPort();
    return options;
}

constexpr int kPortAttempts = 5;

// Another program may take a free port between the look and the bind: try again.
std::unique_ptr<picnic::PicnicSimulator> StartedBoard(const picnic::SimulatorOptions& options) {
    auto board = std::make_unique<picnic::PicnicSimulator>(OnFreePort(options));
    for (int attempt = 1; !board->start() && attempt < kPortAttempts; ++attempt) {
        board = std::make_unique<picnic::PicnicSimulator>(OnFreePort(options));
    }
    return board;
}

} // namespace

LinkFixture::LinkFixture(const picnic::SimulatorOptions& boardOptions, const QByteArray& extraIni)
    : m_board(StartedBoard(boardOptions)), board(*m_board) {
    binPort = FreeUdpPort();
    ascPort = FreeUdpPort();
    // The first of duplicate keys wins, so the test's own keys come first.
    const QByteArray ini = "[ZENKO]\n" + extraIni +
                           "PICNIC_IP_1=127.0.0.1\nPICNIC_IP_2=127.0.0.2\nPICNIC_IP_3=127.0.0.3\n"
                           "PICNIC_PARA_PORT=" +
                           QByteArray::number(board.port()) +
                           "\nBin_Set_Value_Receiving_Port=" + QByteArray::number(binPort) +
                           "\nAsc_Set_Value_Receiving_Port=" + QByteArray::number(ascPort) +
                           "\nControl_Interval=1\n";
    window = std::make_unique<WindowFixture>(&ini);
}

void LinkFixture::start() {
    for (int attempt = 1; attempt <= kPortAttempts; ++attempt) {
        window->messages.messages.clear();
        dlg().OnStart();
        if (dlg().m_bRunning) {
            return;
        }
        binPort = FreeUdpPort();
        ascPort = FreeUdpPort();
        window->setText(ui::ctl::BinPort, QString::number(binPort));
        window->setText(ui::ctl::AscPort, QString::number(ascPort));
    }
}

QList<QByteArray> LinkFixture::commandsHex() const {
    QList<QByteArray> hex;
    for (const auto& command : board.commands()) {
        hex << command.bytes.toHex();
    }
    return hex;
}

bool LinkFixture::waitForCommands(qsizetype count, int timeoutMs) const {
    return QTest::qWaitFor([&] { return board.commands().size() >= count; }, timeoutMs);
}

Relays RelaysOf(const LinkFixture& link, char mask, qsizetype from) {
    Relays relays;
    const auto& commands = link.board.commands();
    for (qsizetype i = from; i < commands.size(); ++i) {
        if (commands[i].kind == picnic::CommandKind::Relay && commands[i].bytes[3] == mask) {
            relays.at << i;
            relays.bytes << static_cast<std::uint8_t>(commands[i].bytes[4]);
            relays.drives << (commands[i].bytes[4] != 0);
        }
    }
    return relays;
}

} // namespace zenko::test

#include "picnic-sim/PicnicSimulator.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include "common/Ipv4Text.h"

namespace zenko::picnic {

namespace {

// The largest datagram UDP can carry; nothing the board receives is cut short.
constexpr qint64 kReceiveLimit = 65535;

} // namespace

PicnicSimulator::PicnicSimulator(const SimulatorOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_startNs(NowNs()),
      m_board(options.model, std::chrono::nanoseconds(m_startNs), options.answerAdc),
      m_socket(new QUdpSocket(this)), m_restartTimer(new QTimer(this)) {
    connect(m_socket, &QUdpSocket::readyRead, this, &PicnicSimulator::readPending);
    m_restartTimer->setSingleShot(true);
    m_restartTimer->setTimerType(Qt::PreciseTimer);
    connect(m_restartTimer, &QTimer::timeout, this, [this] { emit restartingChanged(false); });
}

PicnicSimulator::~PicnicSimulator() = default;

std::int64_t PicnicSimulator::NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool PicnicSimulator::start() {
    if (m_socket->state() == QAbstractSocket::BoundState) {
        m_error = QStringLiteral("already started");
        return false;
    }
    const QHostAddress bindAddress = tools::ParseNumericAddress(m_options.bindAddress);
    if (bindAddress.isNull()) {
        m_error = QStringLiteral("invalid address %1").arg(m_options.bindAddress);
        return false;
    }
    // Without DontShareAddress, Qt sets SO_REUSEADDR on Unix and a second simulator on the same
    // port would bind as well and steal half of the datagrams.
    if (!m_socket->bind(bindAddress, m_options.port, QAbstractSocket::DontShareAddress)) {
        m_error = QStringLiteral("cannot bind %1:%2: %3")
                      .arg(m_options.bindAddress)
                      .arg(m_options.port)
                      .arg(m_socket->errorString());
        return false;
    }
    if (!m_options.replyFromAddress.isEmpty()) {
        const QHostAddress replyAddress = tools::ParseNumericAddress(m_options.replyFromAddress);
        if (replyAddress.isNull()) {
            m_error = QStringLiteral("invalid address %1").arg(m_options.replyFromAddress);
            m_socket->close();
            return false;
        }
        auto* replySocket = new QUdpSocket(this);
        if (!replySocket->bind(replyAddress, 0, QAbstractSocket::DontShareAddress)) {
            m_error = QStringLiteral("cannot bind reply address %1: %2")
                          .arg(m_options.replyFromAddress, replySocket->errorString());
            delete replySocket;
            m_socket->close();
            return false;
        }
        m_replySocket = replySocket;
    }
    m_error.clear();
    return true;
}

std::uint16_t PicnicSimulator::port() const {
    return m_socket->localPort();
}

QHostAddress PicnicSimulator::replyAddress() const {
    return (m_replySocket != nullptr ? m_replySocket : m_socket)->localAddress();
}

std::uint64_t PicnicSimulator::receivedCount(CommandKind kind) const {
    return m_received[static_cast<std::size_t>(kind)];
}

std::uint64_t PicnicSimulator::receivedCount() const {
    std::uint64_t total = 0;
    for (const std::uint64_t count : m_received) {
        total += count;
    }
    return total;
}

bool PicnicSimulator::answerAdc() const {
    return m_board.answerAdc(Axis::Azimuth) && m_board.answerAdc(Axis::Elevation);
}

void PicnicSimulator::setAnswerAdc(bool answer) {
    setAnswerAdc(Axis::Azimuth, answer);
    setAnswerAdc(Axis::Elevation, answer);
}

bool PicnicSimulator::answerAdc(Axis axis) const {
    return m_board.answerAdc(axis);
}

void PicnicSimulator::setAnswerAdc(Axis axis, bool answer) {
    if (m_board.answerAdc(axis) != answer) {
        m_board.setAnswerAdc(axis, answer);
        emit answerAdcChanged(axis, answer);
    }
}

const RotatorModel& PicnicSimulator::modelNow() {
    m_board.model().advanceTo(std::chrono::nanoseconds(NowNs()));
    return m_board.model();
}

void PicnicSimulator::setAngle(Axis axis, double degrees) {
    m_board.model().advanceTo(std::chrono::nanoseconds(NowNs()));
    m_board.model().setAngle(axis, degrees);
}

void PicnicSimulator::setFaults(Axis axis, const AxisFaults& faults) {
    RotatorModel& model = m_board.model();
    model.advanceTo(std::chrono::nanoseconds(NowNs()));
    const AxisFaults before = model.faults(axis);
    if (faults != before) {
        model.setFaults(axis, faults);
        emit faultsChanged(axis, before, faults);
    }
}

void PicnicSimulator::restart(double seconds) {
    const std::int64_t now = NowNs();
    m_restartSeconds = std::max(0.0, seconds);
    m_board.restart(std::chrono::nanoseconds(now), m_restartSeconds);
    m_restartTimer->start(
        static_cast<int>(std::ceil(static_cast<double>(m_board.restartEnd().count() - now) / 1e6)));
    emit restartingChanged(true);
}

bool PicnicSimulator::restarting() const {
    return m_board.restarting(std::chrono::nanoseconds(NowNs()));
}

void PicnicSimulator::readPending() {
    // Qt re-arms readyRead only after a read, so everything queued is taken now.
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(kReceiveLimit);
        if (!datagram.isValid()) {
            break;
        }
        ReceivedCommand command;
        command.monotonicNs = NowNs();
        command.sourceAddress = datagram.senderAddress();
        command.sourcePort = static_cast<std::uint16_t>(datagram.senderPort());
        // The datagram's buffer keeps the whole receive limit reserved (64 KiB, of which a
        // page is touched); the record keeps a copy of just the bytes.
        const QByteArray received = datagram.data();
        command.bytes = QByteArray(received.constData(), received.size());
        command.kind = ClassifyDatagram(command.bytes);
        handle(command);
        ++m_received[static_cast<std::size_t>(command.kind)];
        if (m_options.historyLimit > 0) {
            if (m_commands.size() >= m_options.historyLimit) {
                m_commands.removeFirst();
            }
            m_commands.append(command);
        }
        // The local copy, so that a receiver clearing the list leaves the others a valid one.
        emit commandReceived(command);
    }
}

void PicnicSimulator::handle(ReceivedCommand& command) {
    const BoardResponse response =
        m_board.handle(command.bytes, std::chrono::nanoseconds(command.monotonicNs));
    command.answer = response.answer;
    command.ignored = response.ignored;
    command.after = response.after;
    if (!response.reply.isEmpty()) {
        QUdpSocket* sender = m_replySocket != nullptr ? m_replySocket : m_socket;
        sender->writeDatagram(response.reply, command.sourceAddress, command.sourcePort);
    }
}

} // namespace zenko::picnic

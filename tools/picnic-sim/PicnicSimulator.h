#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include "picnic-sim/PicnicProtocol.h"
#include "picnic-sim/RotatorModel.h"
#include "picnic-sim/SimulatedBoard.h"

class QTimer;
class QUdpSocket;

namespace zenko::picnic {

struct SimulatorOptions {
    QString bindAddress = QStringLiteral("127.0.0.1");
    // 0: the system chooses (tests); port() tells which.
    std::uint16_t port = 10001;
    // Empty: replies leave from the receiving socket. Otherwise from a second socket bound to
    // this address, so that the controller sees them coming from a foreign host.
    QString replyFromAddress;
    // Both axes at start; each can be silenced on its own while running.
    bool answerAdc = true;
    RotatorParameters model;
    // commands() keeps the latest this many; the counts per kind cover every datagram.
    int historyLimit = kDefaultHistoryLimit;

    // Hours of a demo would otherwise keep every datagram; this is several minutes of a running
    // link and far more than a test looks back on.
    static constexpr int kDefaultHistoryLimit = 20000;
};

struct ReceivedCommand {
    // steady_clock reading at arrival, in nanoseconds.
    std::int64_t monotonicNs = 0;
    QHostAddress sourceAddress;
    std::uint16_t sourcePort = 0;
    QByteArray bytes;
    CommandKind kind = CommandKind::Unknown;
    // For an ADC request that was answered; empty when silent or for an unknown channel.
    std::optional<AdcAnswer> answer;
    CommandIgnored ignored = CommandIgnored::No;
    ModelSnapshot after;
};

// The board on a UDP port: relay commands drive the rotator model, ADC requests are answered
// from it, the latest datagrams are recorded and all of them counted. Time is the steady clock;
// the model is advanced to each datagram's arrival before the datagram acts, so relay timing is
// exact to the event loop.
class PicnicSimulator : public QObject {
    Q_OBJECT
public:
    explicit PicnicSimulator(const SimulatorOptions& options = {}, QObject* parent = nullptr);
    ~PicnicSimulator() override;

    // Binds the receiving socket (and the reply socket), without address sharing so that a port
    // already taken fails. False with errorString() set on failure; calling it twice fails.
    bool start();
    QString errorString() const { return m_error; }
    // The bound receiving port, 0 before start().
    std::uint16_t port() const;
    // The address replies leave from.
    QHostAddress replyAddress() const;
    const SimulatorOptions& options() const { return m_options; }

    // The latest options().historyLimit datagrams, oldest first.
    const QList<ReceivedCommand>& commands() const { return m_commands; }
    // Empties commands(); the counts go on.
    void clearCommands() { m_commands.clear(); }
    // Every datagram since start, of one kind or of all.
    std::uint64_t receivedCount(CommandKind kind) const;
    std::uint64_t receivedCount() const;

    // Whether both axes answer; setting it sets both.
    bool answerAdc() const;
    void setAnswerAdc(bool answer);
    // An axis that does not answer lets its requests go unanswered, as a board whose input has
    // failed would, while the other goes on.
    bool answerAdc(Axis axis) const;
    void setAnswerAdc(Axis axis, bool answer);

    // The model advanced to now.
    const RotatorModel& modelNow();
    void setAngle(Axis axis, double degrees);

    // The faults of the rotator model, from now on.
    const AxisFaults& faults(Axis axis) const { return m_board.model().faults(axis); }
    void setFaults(Axis axis, const AxisFaults& faults);
    // Now, as SimulatedBoard::restart tells.
    void restart(double seconds);
    bool restarting() const;
    // How long the latest restart keeps the board silent.
    double restartSeconds() const { return m_restartSeconds; }
    // steady_clock reading when the simulator was made, in nanoseconds.
    std::int64_t startNs() const { return m_startNs; }

    static std::int64_t NowNs();

signals:
    // After the command acted and was answered; the command is already in commands().
    void commandReceived(const zenko::picnic::ReceivedCommand& command);
    // Only on a change.
    void answerAdcChanged(zenko::picnic::Axis axis, bool answer);
    void faultsChanged(zenko::picnic::Axis axis, const zenko::picnic::AxisFaults& before,
                       const zenko::picnic::AxisFaults& after);
    // When a restart begins and when the board answers again.
    void restartingChanged(bool restarting);

private:
    void readPending();
    void handle(ReceivedCommand& command);

    SimulatorOptions m_options;
    std::int64_t m_startNs;
    SimulatedBoard m_board;
    QUdpSocket* m_socket;
    QUdpSocket* m_replySocket = nullptr;
    QString m_error;
    QList<ReceivedCommand> m_commands;
    // By CommandKind.
    std::array<std::uint64_t, 4> m_received{};
    double m_restartSeconds = 0.0;
    QTimer* m_restartTimer;
};

} // namespace zenko::picnic

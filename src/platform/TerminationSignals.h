#pragma once

#include <QObject>

class QSocketNotifier;

namespace zenko::platform {

// SIGTERM, SIGINT and SIGHUP delivered as a Qt signal on the user-interface thread, so that the
// program can switch the relays off before it ends. The handler only writes to a pipe; the
// work happens in the event loop. The handler can only reach process-wide state, so one instance
// at a time owns the pipe: another made while it lives listens to nothing and says so.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when another instance owned the pipe already, or the pipe could not be made.
    bool isListening() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void drain();

    QSocketNotifier* m_notifier = nullptr;
};

// "SIGTERM", "SIGINT" or "SIGHUP", in English whatever the user's language (strsignal() would
// follow it), for the journals; "a signal" for any other number.
const char* TerminationSignalName(int signalNumber);

} // namespace zenko::platform

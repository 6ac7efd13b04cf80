#pragma once

#include <initializer_list>

#include <QList>
#include <QObject>

class QSocketNotifier;

namespace zenko::platform {

// POSIX signals delivered as a Qt signal in the event loop. The handler only writes the signal's
// number to a pipe; the work happens in the event loop. The handler can only reach process-wide
// state, so each signal number belongs to one instance at a time: an instance asking for one that
// another holds listens to nothing and says so.
class SignalPipe : public QObject {
    Q_OBJECT
public:
    // `what` names the signals in the warning when another instance holds them.
    SignalPipe(std::initializer_list<int> signalNumbers, const char* what,
               QObject* parent = nullptr);
    ~SignalPipe() override;
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // False when another instance held one of the signals, or the pipe could not be made.
    bool isListening() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void drain();

    QList<int> m_signals;
    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace zenko::platform

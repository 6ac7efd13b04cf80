#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zenko::picnic {

// The lines of the standard input, each delivered in the event loop as it is completed. Reading
// stops at the end of the input (or a failed read), after its last line, and says so.
class CommandInput : public QObject {
    Q_OBJECT
public:
    explicit CommandInput(QObject* parent = nullptr);
    ~CommandInput() override;
    CommandInput(const CommandInput&) = delete;
    CommandInput& operator=(const CommandInput&) = delete;

signals:
    void line(const QString& text);
    void ended();

private:
    void readAvailable();
    void stop();

    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending;
};

} // namespace zenko::picnic

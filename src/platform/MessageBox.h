#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zenko::platform {

// Where the controller's failure messages go. The program shows them in modal boxes; tests
// swap in a recorder so that nothing blocks.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(QWidget* parent, const QString& text) = 0;
};

// OK button, warning icon, title = the executable's name without extension. Runs a nested
// event loop, so the window's timers and sockets go on while it is up. The text is always plain
// text: left to guess, Qt would render a message that happens to contain '<' as markup.
class MessageBoxSink final : public MessageSink {
public:
    void show(QWidget* parent, const QString& text) override;
};

// Keeps every text in the order shown and returns at once.
class RecordingMessageSink final : public MessageSink {
public:
    void show(QWidget* parent, const QString& text) override;
    QStringList messages;
};

} // namespace zenko::platform

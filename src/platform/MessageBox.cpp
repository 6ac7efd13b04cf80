#include "platform/MessageBox.h"

#include <QMessageBox>

#include "platform/ExecutableDir.h"

namespace zenko::platform {

void MessageBoxSink::show(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, ExecutableBaseName(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void RecordingMessageSink::show(QWidget* /*parent*/, const QString& text) {
    messages.append(text);
}

} // namespace zenko::platform

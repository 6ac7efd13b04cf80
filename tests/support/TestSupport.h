#pragma once

#include <memory>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "ui/ControllerDlg.h"

namespace zenko::test {

// Writes `content` as the whole of `dir`/name and returns the file's path.
QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content);
QByteArray ReadFile(const QString& path);

// A main window over a ZENKO.ini holding `ini` (no file at all when ini is null), with its
// messages recorded instead of shown.
struct WindowFixture {
    explicit WindowFixture(const QByteArray* ini = nullptr);
    QTemporaryDir dir;
    platform::ProfileFile profile;
    platform::RecordingMessageSink messages;
    std::unique_ptr<CControllerDlg> window;

    // The text of an edit or of the combo box's field.
    QString text(int id) const;
    void setText(int id, const QString& text) const;
};

} // namespace zenko::test

#include "support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>

namespace zenko::test {

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(content);
    }
    return path;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

WindowFixture::WindowFixture(const QByteArray* ini)
    : profile(dir.filePath(QStringLiteral("ZENKO.ini"))) {
    if (ini != nullptr) {
        WriteFile(dir, QStringLiteral("ZENKO.ini"), *ini);
    }
    window = std::make_unique<CControllerDlg>(profile, messages);
}

QString WindowFixture::text(int id) const {
    QWidget* control = window->controls().find(id);
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->currentText();
    }
    return qobject_cast<QLineEdit*>(control)->text();
}

void WindowFixture::setText(int id, const QString& text) const {
    QWidget* control = window->controls().find(id);
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(text);
    } else {
        qobject_cast<QLineEdit*>(control)->setText(text);
    }
}

} // namespace zenko::test

#pragma once

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

namespace zenko::test {

// Arms an action for the next modal dialog: once it is up, `act` runs on it (it may fill
// fields and press buttons); the caller then opens the dialog. Bounded: gives up after 5 s.
inline void WhenModalOpens(std::function<void(QDialog*)> act) {
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        } else if (started->elapsed() > 5000) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

} // namespace zenko::test

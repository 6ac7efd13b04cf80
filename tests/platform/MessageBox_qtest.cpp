#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "platform/ExecutableDir.h"

using zenko::platform::MessageBoxSink;
using zenko::platform::RecordingMessageSink;

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void boxIsAWarningWithOneOkButtonTitledAfterTheProgram();
    void recorderKeepsMessagesInOrderAndNeverBlocks();
};

namespace {

// What the box looked like while it was up.
struct SeenBox {
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat textFormat = Qt::AutoText;
    QList<QMessageBox::StandardButton> buttons;
    QWidget* parent = nullptr;
    int ticksWhileUp = 0;
};

} // namespace

void MessageBoxTest::boxIsAWarningWithOneOkButtonTitledAfterTheProgram() {
    QCOMPARE(zenko::platform::ExecutableBaseName(), QStringLiteral("MessageBox_qtest"));

    QWidget window;
    window.show();
    SeenBox seen;
    // A timer of the window's own keeps ticking inside the box's nested loop; after a few ticks
    // it records the box and presses OK. Were the loop not nested, show() would never return.
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        if (++seen.ticksWhileUp < 3) {
            return;
        }
        ticker.stop();
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.textFormat = box->textFormat();
        seen.parent = box->parentWidget();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons.append(box->standardButton(button));
        }
        box->button(QMessageBox::Ok)->click();
    });
    ticker.start(5);

    const QString text = QStringLiteral("ポートを開けません <b>192.0.2.10</b>");
    MessageBoxSink sink;
    sink.show(&window, text);

    QVERIFY(seen.found);
    QCOMPARE(seen.title, QStringLiteral("MessageBox_qtest"));
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.textFormat, Qt::PlainText);
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    QCOMPARE(seen.parent, &window);
    QVERIFY(seen.ticksWhileUp >= 3);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void MessageBoxTest::recorderKeepsMessagesInOrderAndNeverBlocks() {
    RecordingMessageSink sink;
    zenko::platform::MessageSink& asSink = sink;
    asSink.show(nullptr, QStringLiteral("first"));
    asSink.show(nullptr, QStringLiteral("二番目"));
    asSink.show(nullptr, QStringLiteral("first"));
    QCOMPARE(sink.messages, (QStringList{QStringLiteral("first"), QStringLiteral("二番目"),
                                         QStringLiteral("first")}));
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

QTEST_MAIN(MessageBoxTest)
#include "MessageBox_qtest.moc"

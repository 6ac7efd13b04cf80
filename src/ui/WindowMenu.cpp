#include "ui/WindowMenu.h"

#include <QCoreApplication>
#include <QMenu>
#include <QWidget>
#include <QWindow>

namespace zenko::ui {

QMenu* CreateWindowMenu(QWidget* window, std::function<void(unsigned)> onSystemCommand) {
    auto* menu = new QMenu(window);
    menu->setObjectName(QStringLiteral("windowMenu"));
    QAction* restore =
        menu->addAction(QCoreApplication::translate("WindowMenu", "元のサイズに戻す(&R)"), window,
                        [window] { window->showNormal(); });
    menu->addAction(QCoreApplication::translate("WindowMenu", "移動(&M)"), window, [window] {
        if (QWindow* handle = window->windowHandle()) {
            handle->startSystemMove();
        }
    });
    // The window has a fixed size and no maximise box.
    menu->addAction(QCoreApplication::translate("WindowMenu", "サイズ変更(&S)"))->setEnabled(false);
    menu->addAction(QCoreApplication::translate("WindowMenu", "最小化(&N)"), window,
                    [window] { window->showMinimized(); });
    menu->addAction(QCoreApplication::translate("WindowMenu", "最大化(&X)"))->setEnabled(false);
    menu->addSeparator();
    QAction* close = menu->addAction(QCoreApplication::translate("WindowMenu", "閉じる(&C)"),
                                     window, [window] { window->close(); });
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    close->setShortcutVisibleInContextMenu(true);
    menu->addSeparator();
    QAction* about = menu->addAction(QCoreApplication::translate("WindowMenu", kAboutItemCaption));
    about->setData(kIdmAboutBox);
    QObject::connect(
        about, &QAction::triggered, window,
        [onSystemCommand = std::move(onSystemCommand)] { onSystemCommand(kIdmAboutBox); });
    QObject::connect(menu, &QMenu::aboutToShow, window,
                     [window, restore] { restore->setEnabled(window->isMinimized()); });
    return menu;
}

} // namespace zenko::ui

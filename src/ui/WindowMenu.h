#pragma once

#include <functional>

#include <QString>

class QMenu;
class QWidget;

namespace zenko::ui {

// The system command of the About item; the low four bits of a command id are the platform's.
inline constexpr unsigned kIdmAboutBox = 0x0010;
inline constexpr char kAboutItemCaption[] =
    QT_TRANSLATE_NOOP("WindowMenu", "ZENKO のﾊﾞｰｼﾞｮﾝ情報(&A)...");

// The window menu that Linux window managers keep to themselves, given a place the operator
// finds (Alt+Space, a right click on the window background): the usual entries for a window of
// fixed size, then, below a separator, the About item last, whose command id goes to
// `onSystemCommand`.
QMenu* CreateWindowMenu(QWidget* window, std::function<void(unsigned)> onSystemCommand);

} // namespace zenko::ui

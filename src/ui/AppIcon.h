#pragma once

#include <QIcon>

namespace zenko::ui {

// The application icon: a small dish antenna, 16 and 32 pixels, compiled into the executable.
QIcon AppIcon();

} // namespace zenko::ui

#pragma once

#include <QString>

namespace zenko::ui {

// Told by every command that saves to ZENKO.ini when a write failed.
inline const QString kProfileWriteError = QStringLiteral("Configuration file write error !");

} // namespace zenko::ui

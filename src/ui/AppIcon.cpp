#include "ui/AppIcon.h"

namespace zenko::ui {

QIcon AppIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/zenko/zenko-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/zenko/zenko-32.png"), QSize(32, 32));
    return icon;
}

} // namespace zenko::ui

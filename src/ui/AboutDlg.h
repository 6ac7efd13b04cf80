#pragma once

#include <QDialog>

namespace zenko::ui {

// Names the program and its version; holds no data.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace zenko::ui

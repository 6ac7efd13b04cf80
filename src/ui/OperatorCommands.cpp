#include <QContextMenuEvent>
#include <QMenu>

#include "platform/MessageBox.h"
#include "ui/AboutDlg.h"
#include "ui/CalibrationDialogs.h"
#include "ui/ControllerDlg.h"
#include "ui/ProfileMessages.h"
#include "ui/SettingsDlg.h"
#include "ui/WindowMenu.h"

using namespace zenko;

// The dialog works on the file alone; what it saves takes effect at the next start.
void CControllerDlg::OnSettingsCommand() {
    ui::CSettingsDlg dialog(m_profile, m_messages, this);
    if (dialog.exec() == QDialog::Accepted && !ui::SaveSettings(m_profile, dialog.values())) {
        m_messages.show(this, ui::kProfileWriteError);
    }
}

namespace {

template <class Dialog> void RunCalibrationDialog(CControllerDlg* owner) {
    Dialog dialog(owner);
    dialog.m_pOwner = owner;
    if (dialog.exec() == QDialog::Accepted) {
        owner->ApplyCalibrationPoint(dialog.point(), dialog.m_strAzAngle, dialog.m_strElAngle,
                                     dialog.m_strAzVolt, dialog.m_strElVolt);
    }
}

} // namespace

void CControllerDlg::OnCalPoint1Command() {
    RunCalibrationDialog<ui::CCalPoint1Dlg>(this);
}

void CControllerDlg::OnCalPoint2Command() {
    RunCalibrationDialog<ui::CCalPoint2Dlg>(this);
}

void CControllerDlg::OnSysCommand(unsigned id) {
    if ((id & 0xFFF0u) == ui::kIdmAboutBox) {
        ui::CAboutDlg about(this);
        about.exec();
    }
}

void CControllerDlg::ShowWindowMenu(const QPoint& globalPosition) {
    m_windowMenu->popup(globalPosition);
}

// A right click that no control takes lands on the window background.
void CControllerDlg::contextMenuEvent(QContextMenuEvent* event) {
    ShowWindowMenu(event->globalPos());
}

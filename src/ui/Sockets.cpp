#include "ui/Sockets.h"

#include "ui/ControllerDlg.h"

namespace zenko::ui {

void ControllerSocket::OnReceive(int errorCode) {
    if (errorCode == 0 && m_pOwner != nullptr) {
        (m_pOwner->*m_handler)();
    }
}

CBinSetValueSocket::CBinSetValueSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveBinSetValue) {}
CAscSetValueSocket::CAscSetValueSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveAscSetValue) {}
CAzAdcSocket::CAzAdcSocket() : ControllerSocket(&CControllerDlg::OnReceiveAzAdc) {}
CElAdcSocket::CElAdcSocket() : ControllerSocket(&CControllerDlg::OnReceiveElAdc) {}
CIoDirSocket::CIoDirSocket() : ControllerSocket(&CControllerDlg::OnReceiveIoDir) {}
CAzControlSocket::CAzControlSocket() : ControllerSocket(&CControllerDlg::OnReceiveAzControl) {}
CElControlSocket::CElControlSocket() : ControllerSocket(&CControllerDlg::OnReceiveElControl) {}

} // namespace zenko::ui

#include "ui/Sockets.h"

#include "ui/ControllerDlg.h"

namespace zenko::ui {

ControllerSocket::ControllerSocket(Handler handler, platform::JournalCategory journal,
                                   const char* name)
    : m_handler(handler) {
    SetJournal(journal, QString::fromLatin1(name));
}

void ControllerSocket::OnReceive(int errorCode) {
    if (errorCode == 0 && m_pOwner != nullptr) {
        (m_pOwner->*m_handler)();
    }
}

using platform::journalLink;
using platform::journalSetValue;

CBinSetValueSocket::CBinSetValueSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveBinSetValue, journalSetValue, "binary") {}
CAscSetValueSocket::CAscSetValueSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveAscSetValue, journalSetValue, "ascii") {}
CAzAdcSocket::CAzAdcSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveAzAdc, journalLink, "az-adc") {}
CElAdcSocket::CElAdcSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveElAdc, journalLink, "el-adc") {}
CIoDirSocket::CIoDirSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveIoDir, journalLink, "io-direction") {}
CAzControlSocket::CAzControlSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveAzControl, journalLink, "az-relays") {}
CElControlSocket::CElControlSocket()
    : ControllerSocket(&CControllerDlg::OnReceiveElControl, journalLink, "el-relays") {}

} // namespace zenko::ui

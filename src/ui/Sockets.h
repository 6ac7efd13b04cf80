#pragma once

#include "platform/DatagramSocket.h"

class CControllerDlg;

namespace zenko::ui {

// The seven sockets of the link. Their only work is to hand each read notification that
// carries no error to one handler of the window; every other behaviour is the platform
// socket's.
class ControllerSocket : public platform::DatagramSocket {
    Q_OBJECT
public:
    using Handler = void (CControllerDlg::*)();

    bool m_bOpen = false;
    CControllerDlg* m_pOwner = nullptr;

    void SetOwner(CControllerDlg* owner) { m_pOwner = owner; }

protected:
    // Its datagrams go to the category's debug level under this name.
    ControllerSocket(Handler handler, platform::JournalCategory journal, const char* name);
    void OnReceive(int errorCode) override;

private:
    Handler m_handler;
};

class CBinSetValueSocket final : public ControllerSocket {
    Q_OBJECT
public:
    CBinSetValueSocket();
};

class CAscSetValueSocket final : public ControllerSocket {
    Q_OBJECT
public:
    CAscSetValueSocket();
};

class CAzAdcSocket final : public ControllerSocket {
    Q_OBJECT
public:
    CAzAdcSocket();
};

class CElAdcSocket final : public ControllerSocket {
    Q_OBJECT
public:
    CElAdcSocket();
};

class CIoDirSocket final : public ControllerSocket {
    Q_OBJECT
public:
    CIoDirSocket();
};

class CAzControlSocket final : public ControllerSocket {
    Q_OBJECT
public:
    CAzControlSocket();
};

class CElControlSocket final : public ControllerSocket {
    Q_OBJECT
public:
    CElControlSocket();
};

} // namespace zenko::ui

#include <QCoreApplication>

#include "core/SetValueAllow.h"
#include "core/StartChecks.h"
#include "device/BoardProtocol.h"
#include "platform/Journal.h"
#include "platform/MessageBox.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

namespace {

const QString kAnyAddress = QStringLiteral("0.0.0.0");
constexpr int kReceiverBufferBytes = 4 * 1024 * 1024;

} // namespace

std::array<CControllerDlg::BoardSocket, 5> CControllerDlg::BoardSockets() {
    return {{{&m_sockAzAdc, QStringLiteral("Get Az ADC socket creation error !")},
             {&m_sockElAdc, QStringLiteral("Get El ADC socket creation error !")},
             {&m_sockIoDir, QStringLiteral("Set IO direction socket creation error !")},
             {&m_sockAzControl, QStringLiteral("Az control socket creation error !")},
             {&m_sockElControl, QStringLiteral("El control socket creation error !")}}};
}

void CControllerDlg::CloseSocket(ui::ControllerSocket& socket) {
    socket.Close();
    socket.m_bOpen = false;
}

bool CControllerDlg::OpenReceiver(ui::ControllerSocket& socket, std::int16_t port,
                                  const QString& creationError) {
    m_addrRecvBind = core::Ipv4SocketAddress{};
    // A receiver that an aborted Start left open is made anew, so that Start succeeds as soon
    // as whatever stopped it is gone.
    socket.Close();
    if (!socket.Create(static_cast<std::uint16_t>(port), platform::DatagramSocket::kAllEvents,
                       kAnyAddress)) {
        RefuseStart(creationError);
        return false;
    }
    // Room for a burst of requests from a busy peer while a control step runs.
    socket.SetReceiveBuffer(kReceiverBufferBytes);
    socket.m_bOpen = true;
    return true;
}

void CControllerDlg::OnStart() {
    // A refused field has shown its message; Start goes on with the values held.
    ReadControls();

    const core::StartCheck check = core::CheckLinkSettings(
        {m_nBinPort, m_nAscPort, m_strPicnicIp, m_nPicnicPort, m_nControlInterval});
    if (check.failure) {
        RefuseStart(*check.failure);
        return;
    }
    const core::AllowCheck allow = core::CheckSetValueAllow(m_strSetValueAllow);
    if (allow.failure) {
        RefuseStart(*allow.failure);
        return;
    }
    m_setValueAllow = allow.list;
    m_dwPicnicIp = check.picnicIp;
    if (m_protectionSettings.refusal) {
        RefuseStart(*m_protectionSettings.refusal);
        return;
    }

    m_dAzVolt = 0.0;
    m_dElVolt = 0.0;
    OnAzOutClicked();
    OnElOutClicked();

    if (m_nBinPort > 0 &&
        !OpenReceiver(m_sockBin, m_nBinPort,
                      QStringLiteral("Binary Set Value receiving socket creation error !"))) {
        return;
    }
    if (m_nAscPort > 0 &&
        !OpenReceiver(m_sockAsc, m_nAscPort,
                      QStringLiteral("Ascii Set Value receiving socket creation error !"))) {
        return;
    }
    for (const auto& [socket, creationError] : BoardSockets()) {
        m_addrBoardBind = core::Ipv4SocketAddress{};
        if (!socket->Create(0, platform::DatagramSocket::kAllEvents, kAnyAddress)) {
            qCWarning(platform::journalLink).noquote() << creationError;
            m_messages.show(this, creationError);
        }
        // Set even on failure: the link runs, and every send on this socket fails silently.
        socket->m_bOpen = true;
    }

    m_addrPicnic = {m_dwPicnicIp, static_cast<std::uint16_t>(m_nPicnicPort)};
    SendIoDirections();
    SendAdcRequest(device::kAzAdcChannel, 0);
    SendAdcRequest(device::kElAdcChannel, 0);
    m_bAdcRequested = true;
    m_timers.setTimer(core::TIMER_CONTROL, core::ControlTimerPeriod(m_nControlInterval));
    StartFeedbackWatch();
    ResetProtection();
    if (m_tracking.enabled) {
        StartTracking();
    }
    m_bRunning = true;
    EnableButtonsForLink(true);
    qCInfo(platform::journalLink).noquote()
        << core::LinkStartedText(m_addrPicnic, m_nBinPort, m_nAscPort);
    if (!m_setValueAllow.isEmpty()) {
        qCInfo(platform::journalSetValue).noquote()
            << core::SetValueAllowText(m_setValueAllow.text());
    }
}

void CControllerDlg::SendIoDirections() {
    for (const auto& command : device::kIoDirections) {
        SendIoDirectionCommand(command[0], command[1], command[2]);
    }
}

void CControllerDlg::RefuseStart(const QString& message) {
    qCWarning(platform::journalLink).noquote() << core::StartRefusedText(message);
    m_messages.show(this, message);
}

void CControllerDlg::OnStop() {
    StopLink(core::LinkStopCause::StopButton);
}

void CControllerDlg::StopLink(core::LinkStopCause cause, int signalNumber) {
    // The steps run whether or not the link runs, as they always did; only a running link's end
    // is news for the journal.
    const bool wasRunning = m_bRunning;
    for (unsigned id : {core::TIMER_CONTROL, core::TIMER_AZ_PULSE, core::TIMER_EL_PULSE}) {
        m_timers.killTimer(id);
    }
    CloseSocket(m_sockBin);
    CloseSocket(m_sockAsc);
    SendRelayCommand(core::AxisAz, 0, 0);
    SendRelayCommand(core::AxisEl, 0, 0);
    for (const auto& board : BoardSockets()) {
        CloseSocket(*board.socket);
    }
    m_bRunning = false;
    EnableButtonsForLink(false);
    ClearFeedbackWatch();
    ClearProtection();
    if (wasRunning) {
        qCInfo(platform::journalLink).noquote() << core::LinkStoppedText(cause, signalNumber);
    }
}

void CControllerDlg::CloseLinkForExit() {
    for (ui::ControllerSocket* socket : std::initializer_list<ui::ControllerSocket*>{
             &m_sockBin, &m_sockAsc, &m_sockAzAdc, &m_sockElAdc, &m_sockIoDir}) {
        if (socket->m_bOpen) {
            socket->Close();
        }
    }
    if (m_sockAzControl.m_bOpen) {
        SendRelayCommand(core::AxisAz, 0, 0);
        m_sockAzControl.Close();
    }
    if (m_sockElControl.m_bOpen) {
        SendRelayCommand(core::AxisEl, 0, 0);
        m_sockElControl.Close();
    }
}

// The window ends only through a read of its fields that succeeds, so that a refused field
// keeps it open for the operator to correct.
void CControllerDlg::OnExit() {
    if (m_bRunning) {
        qCInfo(platform::journalLink).noquote()
            << core::LinkStoppedText(core::LinkStopCause::ExitButton);
    }
    CloseLinkForExit();
    if (ReadControls()) {
        done(QDialog::Accepted);
    }
}

void CControllerDlg::ExitSafely() {
    if (m_bRunning) {
        StopLink(core::LinkStopCause::CloseWindow);
    }
    OnExit();
}

void CControllerDlg::OnTerminationRequest(int signalNumber) {
    if (m_bRunning) {
        StopLink(core::LinkStopCause::Signal, signalNumber);
    } else {
        qCInfo(platform::journalLink).noquote() << core::EndingOnSignalText(signalNumber);
    }
    CloseLinkForExit();
    done(QDialog::Rejected);
    // Also ends a message box or dialog that is open over the window.
    QCoreApplication::exit(0);
}

#include "device/BoardProtocol.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

namespace {

// Status codes of the send operations; no caller acts on them.
constexpr std::uint16_t kSent = 0;
constexpr std::uint16_t kAzSendFailed = 1;
constexpr std::uint16_t kElSendFailed = 2;
constexpr std::uint16_t kNoSuchAxis = 9;

} // namespace

std::uint16_t CControllerDlg::SendIoDirectionCommand(std::uint8_t first, std::uint8_t second,
                                                     std::uint8_t third) {
    const bool sent = m_sockIoDir.SendTo(device::BuildIoDirectionCommand(first, second, third),
                                         m_addrPicnic.address, m_addrPicnic.port);
    return sent ? kSent : kAzSendFailed;
}

std::uint16_t CControllerDlg::SendRelayCommand(std::int32_t axis, std::uint8_t increaseOn,
                                               std::uint8_t decreaseOn) {
    const auto command = device::BuildRelayCommand(axis, increaseOn, decreaseOn);
    if (!command) {
        return kNoSuchAxis;
    }
    NoteRelayCommand(axis, increaseOn, decreaseOn);
    ui::ControllerSocket& socket = axis == core::AxisAz
                                       ? static_cast<ui::ControllerSocket&>(m_sockAzControl)
                                       : m_sockElControl;
    if (socket.SendTo(*command, m_addrPicnic.address, m_addrPicnic.port)) {
        return kSent;
    }
    return axis == core::AxisAz ? kAzSendFailed : kElSendFailed;
}

std::uint16_t CControllerDlg::SendAdcRequest(std::uint8_t channel, std::uint8_t third) {
    ui::ControllerSocket* socket = channel == device::kAzAdcChannel ? &m_sockAzAdc
                                   : channel == device::kElAdcChannel
                                       ? static_cast<ui::ControllerSocket*>(&m_sockElAdc)
                                       : nullptr;
    if (socket == nullptr) {
        return kSent;
    }
    if (socket->SendTo(device::BuildAdcRequest(channel, third), m_addrPicnic.address,
                       m_addrPicnic.port)) {
        return kSent;
    }
    return channel == device::kAzAdcChannel ? kAzSendFailed : kElSendFailed;
}

// The socket decides the axis, not the content. Only the board's address is believed; a reply
// too short to carry a count is dropped like a foreign one. Reports whether a count was taken.
bool CControllerDlg::ReceiveAdcReply(ui::ControllerSocket& socket, core::AxisId axis,
                                     double& volts) {
    const auto datagram = socket.ReceiveFrom();
    if (!datagram) {
        return false;
    }
    bool taken = false;
    if (datagram->senderAddress == m_dwPicnicIp) {
        if (const auto count = device::ParseAdcReply(datagram->bytes)) {
            volts = device::CountToVolts(*count);
            NoteAdcReply(axis);
            CheckProtectedReading(axis);
            taken = true;
        }
    }
    ShowState();
    return taken;
}

void CControllerDlg::OnReceiveAzAdc() {
    if (ReceiveAdcReply(m_sockAzAdc, core::AxisAz, m_dAzVolt) && m_tracking.enabled) {
        OnTrackingReading(core::AxisAz);
    }
}

void CControllerDlg::OnReceiveElAdc() {
    if (ReceiveAdcReply(m_sockElAdc, core::AxisEl, m_dElVolt) && m_tracking.enabled) {
        OnTrackingReading(core::AxisEl);
    }
}

// Nothing is ever read on the sending sockets; the platform socket discards what arrives.
void CControllerDlg::OnReceiveIoDir() {}
void CControllerDlg::OnReceiveAzControl() {}
void CControllerDlg::OnReceiveElControl() {}

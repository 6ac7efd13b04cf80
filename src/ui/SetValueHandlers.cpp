#include "core/JournalText.h"
#include "platform/Formats.h"
#include "platform/Journal.h"
#include "setvalue/SetValueCodec.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

// Both services: store what the request carries, select the targets again, answer the sender
// with the position as it stands, and show only when the answer went out.
void CControllerDlg::AnswerSetValueRequest(ui::ControllerSocket& socket,
                                           setvalue::SetValues (*parse)(QByteArrayView),
                                           QByteArray (*reply)(const setvalue::Position&)) {
    const auto request = socket.ReceiveFrom();
    if (!request) {
        return;
    }
    const bool binary = &socket == &m_sockBin;
    // Whatever it carries, a refused datagram gets no reply, sets nothing and is no peer.
    if (!m_setValueAllow.admits(request->senderAddress)) {
        NoteRefusedSender(request->senderAddress, binary);
        return;
    }
    NoteSetValuePeer(*request, binary);
    const setvalue::SetValues values = parse(request->bytes);
    if (values.azimuth) {
        m_dRemoteSetAz = *values.azimuth;
    }
    if (values.elevation) {
        m_dRemoteSetEl = *values.elevation;
    }
    if (m_tracking.enabled) {
        NoteTrackingSetValues(values);
    }
    m_strRemoteSetAz = platform::FormatAngle(m_dRemoteSetAz);
    m_strRemoteSetEl = platform::FormatAngle(m_dRemoteSetEl);
    SelectTarget(m_nSelector);
    const setvalue::Position position{m_dAzAngle, m_dElAngle, m_dAzVolt, m_dElVolt};
    if (socket.SendTo(reply(position), request->senderAddress, request->senderPort)) {
        ShowState();
    }
}

void CControllerDlg::NoteSetValuePeer(const platform::ReceivedDatagram& request, bool binary) {
    switch (m_setValuePeers.note(request.senderAddress, request.senderPort)) {
    case setvalue::PeerRegister::Outcome::New:
        qCInfo(platform::journalSetValue).noquote()
            << core::SetValuePeerText(request.senderAddress, request.senderPort, binary);
        break;
    case setvalue::PeerRegister::Outcome::LimitReached:
        qCWarning(platform::journalSetValue).noquote()
            << core::SetValuePeerLimitText(setvalue::PeerRegister::kDefaultLimit);
        break;
    case setvalue::PeerRegister::Outcome::Known:
    case setvalue::PeerRegister::Outcome::Unrecorded:
        break;
    }
}

void CControllerDlg::NoteRefusedSender(std::uint32_t address, bool binary) {
    using Outcome = platform::SeenRegister::Outcome;
    const Outcome outcome = m_refusedSenders.note(address);
    if (outcome == Outcome::New) {
        qCWarning(platform::journalSetValue).noquote()
            << core::SetValueRefusedText(address, binary);
    } else if (outcome == Outcome::LimitReached) {
        qCWarning(platform::journalSetValue).noquote()
            << core::SetValueRefusedLimitText(platform::SeenRegister::kDefaultLimit);
    }
}

void CControllerDlg::OnReceiveBinSetValue() {
    AnswerSetValueRequest(m_sockBin, setvalue::ParseBinaryRequest, setvalue::BuildBinaryReply);
}

void CControllerDlg::OnReceiveAscSetValue() {
    AnswerSetValueRequest(m_sockAsc, setvalue::ParseAsciiRequest, setvalue::BuildAsciiReply);
}

#pragma once

#include <array>
#include <cstdint>

#include <QDialog>
#include <QElapsedTimer>

#include "core/AxisProtection.h"
#include "core/ControllerState.h"
#include "core/FeedbackGuard.h"
#include "core/JournalText.h"
#include "core/ProtectionSettings.h"
#include "core/TrackingDrive.h"
#include "platform/AllowList.h"
#include "platform/SeenRegister.h"
#include "platform/WindowTimers.h"
#include "setvalue/PeerRegister.h"
#include "setvalue/SetValueCodec.h"
#include "ui/DialogBuilder.h"
#include "ui/Sockets.h"

class QMenu;
class QMenuBar;

namespace zenko::platform {
class MessageSink;
class ProfileFile;
} // namespace zenko::platform

// The controller's one window. It owns the whole controller state (as its public members), the
// timers and every handler. The handlers' definitions live beside it, one file per subsystem, each
// a thin layer over the pure rules of that subsystem's folder; they are grouped here by the file
// that holds them.
class CControllerDlg : public QDialog, public zenko::core::ControllerState {
    Q_OBJECT
public:
    CControllerDlg(zenko::platform::ProfileFile& profile, zenko::platform::MessageSink& messages,
                   QWidget* parent = nullptr);
    ~CControllerDlg() override;

    // --- ui/ControllerDlg.cpp: the window and its field exchange
    const zenko::ui::BuiltControls& controls() const { return m_controls; }
    QMenuBar* menuBar() const { return m_menuBar; }
    // State to controls.
    void ShowState();
    // Controls to state; a refused field gets its message, the focus and a whole-text
    // selection, and the read reports failure.
    bool ReadControls();
    void EnableButtonsForLink(bool running);
    void CheckSelectorRadio(std::int32_t selector);

    // --- ui/ControllerDlgInit.cpp: initialisation, the configuration read once per run
    bool OnInitDialog();

    // --- ui/OperatorCommands.cpp: the menu bar's dialogs and the window menu
    void OnSettingsCommand();
    void OnCalPoint1Command();
    void OnCalPoint2Command();
    void OnSysCommand(unsigned id);
    QMenu* windowMenu() const { return m_windowMenu; }
    void ShowWindowMenu(const QPoint& globalPosition);

    // --- ui/SelectorHandlers.cpp: target choice
    void SelectTarget(std::int32_t selector);
    void ReadLocalSetValues();
    void OnSelectorClicked();
    void OnRemoteClicked();

    // --- ui/RunControl.cpp: starting, stopping and leaving
    void OnStart();
    void OnStop();
    void OnExit();
    // Every other way out (Escape, the close box, Ctrl+Q) switches the relays off first.
    void ExitSafely();
    // A termination signal ends the program whatever the fields hold, relays off first.
    void OnTerminationRequest(int signalNumber = 0);

    // --- ui/ControlCycle.cpp: every timer message of the window, the output enables
    void OnTimer(unsigned id);
    void OnAzOutClicked();
    void OnElOutClicked();

    // --- ui/CalibrationUpdate.cpp: a new calibration point from its dialog
    void ApplyCalibrationPoint(int point, const QString& azAngle, const QString& elAngle,
                               const QString& azVolt, const QString& elVolt);

    // --- ui/BoardLink.cpp: the board's datagrams
    std::uint16_t SendIoDirectionCommand(std::uint8_t first, std::uint8_t second,
                                         std::uint8_t third);
    std::uint16_t SendRelayCommand(std::int32_t axis, std::uint8_t increaseOn,
                                   std::uint8_t decreaseOn);
    std::uint16_t SendAdcRequest(std::uint8_t channel, std::uint8_t third);
    void OnReceiveAzAdc();
    void OnReceiveElAdc();
    void OnReceiveIoDir();
    void OnReceiveAzControl();
    void OnReceiveElControl();

    // --- ui/SetValueHandlers.cpp: remote set values
    void OnReceiveBinSetValue();
    void OnReceiveAscSetValue();

    // --- ui/TrackingDrive.cpp: the tracking drive, in place of the designed law when chosen
    void StartTracking();
    void OnTrackingTick();
    void OnTrackingReading(zenko::core::AxisId axis);
    void NoteTrackingSetValues(const zenko::setvalue::SetValues& values);

    zenko::platform::WindowTimers& timers() { return m_timers; }

    // The seven sockets, the last members of the state, in its declaration order.
    zenko::ui::CAscSetValueSocket m_sockAsc;
    zenko::ui::CElControlSocket m_sockElControl;
    zenko::ui::CAzControlSocket m_sockAzControl;
    zenko::ui::CIoDirSocket m_sockIoDir;
    zenko::ui::CElAdcSocket m_sockElAdc;
    zenko::ui::CAzAdcSocket m_sockAzAdc;
    zenko::ui::CBinSetValueSocket m_sockBin;

protected:
    // Escape and the close box take the Exit steps rather than ending the window behind them.
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildWindow();
    // The title of the moment, led by the copy's Instance_Name when it has one, so that two
    // copies' windows and taskbar buttons tell their rotators apart.
    void ShowTitle(const QString& title);
    void OnControlIntervalTextChanged(const QString& text);
    struct BoardSocket {
        zenko::ui::ControllerSocket* socket;
        QString creationError;
    };
    std::array<BoardSocket, 5> BoardSockets();
    bool OpenReceiver(zenko::ui::ControllerSocket& socket, std::int16_t port,
                      const QString& creationError);
    void CloseSocket(zenko::ui::ControllerSocket& socket);
    void CloseLinkForExit();
    // Reports whether a count was taken.
    bool ReceiveAdcReply(zenko::ui::ControllerSocket& socket, zenko::core::AxisId axis,
                         double& volts);
    void AnswerSetValueRequest(zenko::ui::ControllerSocket& socket,
                               zenko::setvalue::SetValues (*parse)(QByteArrayView),
                               QByteArray (*reply)(const zenko::setvalue::Position&));
    void RunControlStep();
    void StopLink(zenko::core::LinkStopCause cause, int signalNumber = 0);
    void RefuseStart(const QString& message);
    void NoteSetValuePeer(const zenko::platform::ReceivedDatagram& request, bool binary);
    void NoteRefusedSender(std::uint32_t address, bool binary);

    // --- ui/FeedbackGuard.cpp: fresh readings per axis
    void StartFeedbackWatch();
    void NoteAdcReply(zenko::core::AxisId axis);
    // At each control step, before the axis' drive command: false while the guard holds it off.
    bool CheckAxisFeedback(zenko::core::AxisId axis);
    void ClearFeedbackWatch();
    void RunTrackingStep();

    // --- ui/DriveProtection.cpp: the motion guard and the soft limits, which both drive laws ask
    // Once per run, with the rest of the configuration.
    void ReadProtectionKeys();
    void ResetProtection();
    double ProtectionSeconds() const;
    // Every relay command, as sent.
    void NoteRelayCommand(std::int32_t axis, std::uint8_t increaseOn, std::uint8_t decreaseOn);
    // Every accepted reading: a trip, or a limit reached, switches the relay off at once.
    void CheckProtectedReading(zenko::core::AxisId axis);
    // The one question both drive laws ask before they drive an axis standing at `angle`.
    bool MayDrive(zenko::core::AxisId axis, int direction, double angle);
    void NoteMotionTrip(zenko::core::AxisId axis, const zenko::core::ProtectionEvent& event);
    // The selected target as it drives the axis, clamped into its limits.
    zenko::core::TargetClamp ClampDriveTarget(zenko::core::AxisId axis, double target);
    void ClearProtection();
    // The title names what the guards hold; without a guard it is never changed.
    void UpdateControllerTitle();

    // --- ui/RunControl.cpp: the board's I/O directions, at Start and after the board's silence
    void SendIoDirections();

    zenko::platform::ProfileFile& m_profile;
    zenko::platform::MessageSink& m_messages;
    zenko::ui::BuiltControls m_controls;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_windowMenu = nullptr;
    zenko::platform::WindowTimers m_timers;
    // Feedback_Timeout in seconds; 0 or below: the guard is off and only the journal watches.
    std::int32_t m_nFeedbackTimeout = 0;
    QElapsedTimer m_feedbackClock;
    // Azimuth, elevation.
    std::array<zenko::core::AxisFeedback, 2> m_feedback{};
    // When the I/O directions last went out, on the feedback clock.
    std::int64_t m_ioDirectionsSentMs = 0;
    zenko::core::ProtectionSettings m_protectionSettings;
    // Azimuth, elevation.
    std::array<zenko::core::AxisProtection, 2> m_protection{};
    zenko::setvalue::PeerRegister m_setValuePeers;
    // SetValue_Allow as read, checked at each Start; the list in force from the last Start.
    QString m_strSetValueAllow;
    zenko::platform::AllowList m_setValueAllow;
    // Senders outside the list, by address only: one line per host, whatever its ports.
    zenko::platform::SeenRegister m_refusedSenders;
    zenko::core::TrackingDriveState m_tracking;
    // Empty for the unnamed copy.
    QString m_strInstanceName;
};

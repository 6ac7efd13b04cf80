#pragma once

#include <cstdint>

#include <QDialog>

#include "core/ControllerState.h"
#include "platform/WindowTimers.h"
#include "ui/DialogBuilder.h"

class QMenuBar;

namespace zenko::platform {
class MessageSink;
class ProfileFile;
} // namespace zenko::platform

// The controller's one window. It owns the whole controller state (as its public members), the
// timers and every handler; the handlers' definitions live with their subsystems, grouped here
// by the file that holds them.
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

    // --- core/SelectorHandlers.cpp: target choice
    void SelectTarget(std::int32_t selector);
    void ReadLocalSetValues();
    void OnSelectorClicked();
    void OnRemoteClicked();

    // --- core/RunControl.cpp: leaving the program
    void OnExit();

    // --- core/ControlCycle.cpp: every timer message of the window
    void OnTimer(unsigned id);

    zenko::platform::WindowTimers& timers() { return m_timers; }

protected:
    // Escape and the close box take the Exit steps rather than ending the window behind them.
    void reject() override;

private:
    void BuildWindow();
    void OnControlIntervalTextChanged(const QString& text);

    zenko::platform::ProfileFile& m_profile;
    zenko::platform::MessageSink& m_messages;
    zenko::ui::BuiltControls m_controls;
    QMenuBar* m_menuBar = nullptr;
    zenko::platform::WindowTimers m_timers;
};

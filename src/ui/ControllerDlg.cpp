#include "ui/ControllerDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/ProfileFile.h"
#include "ui/AppIcon.h"
#include "ui/MainWindowBindings.h"
#include "ui/MainWindowTemplate.h"
#include "ui/UpDownControl.h"

using namespace zenko;

CControllerDlg::CControllerDlg(platform::ProfileFile& profile, platform::MessageSink& messages,
                               QWidget* parent)
    : QDialog(parent), m_profile(profile), m_messages(messages),
      m_timers([this](unsigned id) { OnTimer(id); }) {
    m_hIcon = ui::AppIcon();
    BuildWindow();
    OnInitDialog();
}

// However the window goes, an axis must not be left driving into its end stop.
CControllerDlg::~CControllerDlg() {
    if (m_bRunning) {
        OnStop();
    }
}

void CControllerDlg::BuildWindow() {
    // A top-level window of its own (taskbar button), fixed size, minimisable, not maximisable.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const QFont font = ui::DialogFont();
    setFont(font);
    const ui::DialogTemplate& dialog = ui::MainWindowTemplate();
    setWindowTitle(ui::TemplateText(dialog, dialog.caption));

    m_menuBar = new QMenuBar(this);
    const std::pair<int, void (CControllerDlg::*)()> handlers[] = {
        {ui::cmd::Settings, &CControllerDlg::OnSettingsCommand},
        {ui::cmd::CalPoint1, &CControllerDlg::OnCalPoint1Command},
        {ui::cmd::CalPoint2, &CControllerDlg::OnCalPoint2Command}};
    for (const ui::MenuCommand& command : ui::MainWindowMenu()) {
        QAction* action = m_menuBar->addAction(ui::TemplateText(dialog, command.caption));
        action->setObjectName(QStringLiteral("cmd%1").arg(command.id));
        for (const auto& [id, handler] : handlers) {
            if (id == command.id) {
                connect(action, &QAction::triggered, this, handler);
            }
        }
    }

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    const ui::DialogUnits units(font);
    client->setFixedSize(units.toPixelsX(dialog.width), units.toPixelsY(dialog.height));
    m_controls = ui::BuildControls(client, dialog, units);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_editLocalEl = m_controls.get<QLineEdit>(ui::ctl::LocalEl);
    m_editLocalAz = m_controls.get<QLineEdit>(ui::ctl::LocalAz);
    m_spinLocalEl = m_controls.get<ui::UpDownControl>(ui::ctl::LocalElSpin);
    m_spinLocalAz = m_controls.get<ui::UpDownControl>(ui::ctl::LocalAzSpin);
    m_comboPicnicIp = m_controls.get<QComboBox>(ui::ctl::PicnicIp);
    m_checkElOut = m_controls.get<QCheckBox>(ui::ctl::ElOut);
    m_checkAzOut = m_controls.get<QCheckBox>(ui::ctl::AzOut);

    connect(m_controls.get<QLineEdit>(ui::ctl::ControlInterval), &QLineEdit::textChanged, this,
            &CControllerDlg::OnControlIntervalTextChanged);
    for (int id : {ui::ctl::RadioPreset1, ui::ctl::RadioLocal}) {
        connect(m_controls.get<QRadioButton>(id), &QRadioButton::clicked, this,
                &CControllerDlg::OnSelectorClicked);
    }
    connect(m_controls.get<QRadioButton>(ui::ctl::RadioRemote), &QRadioButton::clicked, this,
            &CControllerDlg::OnRemoteClicked);
    connect(m_controls.get<QCheckBox>(ui::ctl::AzOut), &QCheckBox::clicked, this,
            &CControllerDlg::OnAzOutClicked);
    connect(m_controls.get<QCheckBox>(ui::ctl::ElOut), &QCheckBox::clicked, this,
            &CControllerDlg::OnElOutClicked);
    connect(m_controls.get<QPushButton>(ui::ctl::Start), &QPushButton::clicked, this,
            &CControllerDlg::OnStart);
    connect(m_controls.get<QPushButton>(ui::ctl::Stop), &QPushButton::clicked, this,
            &CControllerDlg::OnStop);
    connect(m_controls.get<QPushButton>(ui::ctl::Exit), &QPushButton::clicked, this,
            &CControllerDlg::OnExit);
    // Spelled out: the platform themes that leave the standard Quit binding empty.
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &CControllerDlg::ExitSafely);
    auto* windowMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(windowMenuKey, &QShortcut::activated, this,
            [this] { ShowWindowMenu(mapToGlobal(QPoint(0, 0))); });
}

void CControllerDlg::ShowTitle(const QString& title) {
    setWindowTitle(m_strInstanceName.isEmpty() ? title
                                               : m_strInstanceName + QStringLiteral(" - ") + title);
}

void CControllerDlg::ShowState() {
    ui::ShowFields(ui::MainWindowBindings(), static_cast<const core::ControllerState&>(*this),
                   m_controls);
}

bool CControllerDlg::ReadControls() {
    const ui::FieldReadResult result = ui::ReadFields(
        ui::MainWindowBindings(), static_cast<core::ControllerState&>(*this), m_controls);
    if (!result.ok) {
        m_messages.show(this, result.message);
        ui::FocusRefusedField(m_controls.find(result.refusedControlId));
    }
    return result.ok;
}

void CControllerDlg::EnableButtonsForLink(bool running) {
    m_controls.find(ui::ctl::Start)->setEnabled(!running);
    m_controls.find(ui::ctl::Stop)->setEnabled(running);
    m_controls.find(ui::ctl::Exit)->setEnabled(!running);
}

void CControllerDlg::CheckSelectorRadio(std::int32_t selector) {
    const std::pair<int, std::int32_t> radios[] = {{ui::ctl::RadioPreset1, core::SelectorPreset1},
                                                   {ui::ctl::RadioLocal, core::SelectorLocal},
                                                   {ui::ctl::RadioRemote, core::SelectorRemote}};
    // Exclusive radio buttons cannot all be cleared while exclusive.
    for (const auto& [id, value] : radios) {
        auto* radio = m_controls.get<QRadioButton>(id);
        radio->setAutoExclusive(false);
        radio->setChecked(value == selector);
    }
    for (const auto& radio : radios) {
        m_controls.get<QRadioButton>(radio.first)->setAutoExclusive(true);
    }
}

void CControllerDlg::OnControlIntervalTextChanged(const QString& text) {
    // Taken as the C library took it: the leading integer, reinterpreted as unsigned.
    m_nControlInterval = static_cast<std::uint32_t>(platform::LenientToInt(text));
}

void CControllerDlg::reject() {
    ExitSafely();
}

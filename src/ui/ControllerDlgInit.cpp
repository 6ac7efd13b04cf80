#include <QComboBox>

#include "config/ConfigKeys.h"
#include "config/StartupKeys.h"
#include "core/FeedbackGuard.h"
#include "core/JournalText.h"
#include "platform/Journal.h"
#include "platform/Numbers.h"
#include "platform/ProfileFile.h"
#include "ui/ControllerDlg.h"
#include "ui/UpDownControl.h"
#include "ui/WindowMenu.h"

using namespace zenko;

namespace {

constexpr int kAzSpinLower = -360;
constexpr int kAzSpinUpper = 360;
constexpr int kElSpinLower = -90;
constexpr int kElSpinUpper = 90;

} // namespace

// Reads the whole configuration, once per run, in the order the keys have always been read.
bool CControllerDlg::OnInitDialog() {
    namespace key = config::key;
    namespace defaults = config::defaults;
    const QString& section = config::kSection;
    const auto readInt = [&](const QString& name, std::int32_t fallback) {
        return m_profile.readInt(section, name, fallback);
    };
    const auto readText = [&](const QString& name, const QString& fallback) {
        return m_profile.readString(section, name, fallback);
    };

    ShowState();
    m_windowMenu = ui::CreateWindowMenu(this, [this](unsigned id) { OnSysCommand(id); });
    setWindowIcon(m_hIcon);
    for (ui::ControllerSocket* socket : std::initializer_list<ui::ControllerSocket*>{
             &m_sockBin, &m_sockAzAdc, &m_sockElAdc, &m_sockIoDir, &m_sockAzControl,
             &m_sockElControl, &m_sockAsc}) {
        socket->SetOwner(this);
    }

    m_nBinPort = config::LowSigned16(readInt(key::BinPort, defaults::BinPort));
    m_nAscPort = config::LowSigned16(readInt(key::AscPort, defaults::AscPort));

    m_comboPicnicIp->clear();
    m_strPicnicIp1 = readText(key::PicnicIp1, defaults::PicnicIp1);
    m_comboPicnicIp->addItem(m_strPicnicIp1);
    m_strPicnicIp2 = readText(key::PicnicIp2, defaults::PicnicIp2);
    m_comboPicnicIp->addItem(m_strPicnicIp2);
    m_strPicnicIp3 = readText(key::PicnicIp3, defaults::PicnicIp3);
    m_comboPicnicIp->addItem(m_strPicnicIp3);

    m_nPicnicPort = config::LowSigned16(readInt(key::PicnicPort, defaults::PicnicPort));
    m_nControlInterval =
        static_cast<std::uint32_t>(readInt(key::ControlInterval, defaults::ControlInterval));

    m_nSelector = readInt(key::Selector, defaults::Selector);
    CheckSelectorRadio(m_nSelector);

    m_strLocalSet1Text = readText(key::LocalSet1Text, defaults::LocalSet1Text);
    m_strLocalSet1Az = readText(key::LocalSet1Az, config::mainWindowDefaults::LocalSet1Az);
    m_strLocalSet1El = readText(key::LocalSet1El, config::mainWindowDefaults::LocalSet1El);
    m_dPreset1Az = platform::LenientToDouble(m_strLocalSet1Az);
    m_dPreset1El = platform::LenientToDouble(m_strLocalSet1El);

    m_nLocalSetAz = readInt(key::LocalSetAz, defaults::LocalSetAz);
    m_spinLocalAz->setRange(kAzSpinLower, kAzSpinUpper);
    m_spinLocalAz->setPosition(config::LowSigned16(m_nLocalSetAz));
    m_nLocalSetEl = readInt(key::LocalSetEl, defaults::LocalSetEl);
    m_spinLocalEl->setRange(kElSpinLower, kElSpinUpper);
    m_spinLocalEl->setPosition(config::LowSigned16(m_nLocalSetEl));

    m_nAzOutOn = config::OutputFlag(readInt(key::AzOutOn, defaults::AzOutOn));
    m_nElOutOn = config::OutputFlag(readInt(key::ElOutOn, defaults::ElOutOn));

    const auto readDouble = [&](const QString& name, const QString& fallback) {
        return platform::LenientToDouble(readText(name, fallback));
    };
    m_dCalAzAng1 = readDouble(key::CalAzAng1, defaults::CalAzAng1);
    m_dCalAzVolt1 = readDouble(key::CalAzVolt1, defaults::CalAzVolt1);
    m_dCalElAng1 = readDouble(key::CalElAng1, defaults::CalElAng1);
    m_dCalElVolt1 = readDouble(key::CalElVolt1, defaults::CalElVolt1);
    m_dCalAzAng2 = readDouble(key::CalAzAng2, defaults::CalAzAng2);
    m_dCalAzVolt2 = readDouble(key::CalAzVolt2, defaults::CalAzVolt2);
    m_dCalElAng2 = readDouble(key::CalElAng2, defaults::CalElAng2);
    m_dCalElVolt2 = readDouble(key::CalElVolt2, defaults::CalElVolt2);
    m_nFeedbackTimeout = readInt(key::FeedbackTimeout, defaults::FeedbackTimeout);
    qCInfo(platform::journalConfig).noquote()
        << core::ConfigurationText(m_profile.path(), m_nFeedbackTimeout);
    m_tracking.enabled =
        config::TrackingDriveOn(readInt(key::TrackingDrive, defaults::TrackingDrive));
    m_strSetValueAllow = readText(key::SetValueAllow, defaults::SetValueAllow);

    // The application has refused to start with a name it does not accept.
    m_strInstanceName =
        config::CheckInstanceName(readText(key::InstanceName, QString())).value_or(QString());

    ReadProtectionKeys();

    ShowTitle(core::ControllerTitle());
    ShowState();
    if (m_comboPicnicIp->count() > 0) {
        m_comboPicnicIp->setCurrentIndex(0);
        m_comboPicnicIp->setEditText(m_comboPicnicIp->itemText(0));
    }
    m_bRunning = false;
    EnableButtonsForLink(false);
    return true;
}

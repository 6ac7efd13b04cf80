#include "ui/SettingsDlg.h"

#include <array>

#include "config/ConfigKeys.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "ui/FieldExchange.h"

namespace zenko::ui {

using namespace config;

namespace {

using K = ui::ControlKind;
using S = SettingsValues;
using T = ui::Transfer;

// Creation (and tab) order differs from the order on screen, as designed; the labels follow.
constexpr std::array<ui::ControlSpec, 32> kControls{{
    {ui::kIdOk, K::DefaultPushButton, "OK", 216, 15, 37, 14},
    {ui::kIdCancel, K::PushButton, QT_TRANSLATE_NOOP("SettingsDialog", "ｷｬﾝｾﾙ"), 216, 45, 37, 14},
    {ctl::SettingsBinPort, K::Edit, "", 131, 29, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "バイナリー設定値受信ポート")},
    {ctl::SettingsPicnicIp1, K::Edit, "", 130, 68, 70, 12, "PICNIC IP-1"},
    {ctl::SettingsPicnicIp2, K::Edit, "", 130, 88, 70, 12, "PICNIC IP-2"},
    {ctl::SettingsPicnicIp3, K::Edit, "", 130, 110, 70, 12, "PICNIC IP-3"},
    {ctl::SettingsPicnicPort, K::Edit, "", 130, 130, 70, 12, "PICNIC PORT"},
    {ctl::SettingsControlInterval, K::Edit, "", 130, 149, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "制御周期(秒）")},
    {ctl::SettingsLocalAz, K::Edit, "", 130, 254, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定方位角（度）")},
    {ctl::SettingsLocalEl, K::Edit, "", 130, 276, 70, 13,
     QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定仰角（度）")},
    {ctl::SettingsSelector, K::Edit, "", 130, 170, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "ローカルリモート選択（１，２，３）")},
    {ctl::SettingsAzOut, K::Edit, "", 130, 297, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "方位角制御出力（１：ＯＮ，０：ＯＦＦ）")},
    {ctl::SettingsElOut, K::Edit, "", 130, 317, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "仰角制御出力(１：ＯＮ，０：ＯＦＦ）")},
    {ctl::SettingsPreset1Text, K::Edit, "", 130, 190, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定１テキスト")},
    {ctl::SettingsPreset1Az, K::Edit, "", 130, 209, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定１方位角（度）")},
    {ctl::SettingsPreset1El, K::Edit, "", 130, 232, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定１仰角（度）")},
    {ctl::SettingsAscPort, K::Edit, "", 130, 49, 70, 12,
     QT_TRANSLATE_NOOP("SettingsDialog", "アスキー設定値受信ポート")},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "バイナリー設定値受信ポート"), 19, 29,
     97, 11},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "アスキー設定値受信ポート"), 19, 49,
     96, 10},
    {ui::kNoId, K::Label, "PICNIC IP-1", 19, 69, 42, 11},
    {ui::kNoId, K::Label, "PICNIC IP-2", 19, 89, 42, 11},
    {ui::kNoId, K::Label, "PICNIC IP-3", 19, 111, 45, 10},
    {ui::kNoId, K::Label, "PICNIC PORT", 19, 129, 46, 11},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "制御周期(秒）"), 19, 149, 45, 9},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "ローカルリモート選択（１，２，３）"),
     19, 170, 100, 11},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定１テキスト"), 19, 190,
     74, 10},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定１方位角（度）"), 19,
     211, 93, 10},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定１仰角（度）"), 19, 233,
     87, 8},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定方位角（度）"), 19, 254,
     93, 11},
    {ui::kNoId, K::Label, QT_TRANSLATE_NOOP("SettingsDialog", "ローカル設定仰角（度）"), 19, 276,
     85, 13},
    {ui::kNoId, K::Label,
     QT_TRANSLATE_NOOP("SettingsDialog", "方位角制御出力（１：ＯＮ，０：ＯＦＦ）"), 19, 297, 112,
     12},
    {ui::kNoId, K::Label,
     QT_TRANSLATE_NOOP("SettingsDialog", "仰角制御出力(１：ＯＮ，０：ＯＦＦ）"), 19, 317, 111, 10},
}};

constexpr ui::DialogTemplate kSettings{
    0, QT_TRANSLATE_NOOP("SettingsDialog", "初期設定"), 268, 338, kControls, "SettingsDialog"};

// The transfer order between fields and values, both directions.
const std::array<ui::FieldBinding<S>, 15> kBindings{{
    {ctl::SettingsPicnicIp1, T::Text, &S::picnicIp1},
    {ctl::SettingsPicnicIp2, T::Text, &S::picnicIp2},
    {ctl::SettingsPicnicIp3, T::Text, &S::picnicIp3},
    {ctl::SettingsBinPort, T::Int16, &S::binPort},
    {ctl::SettingsControlInterval, T::SignedInt, &S::controlInterval},
    {ctl::SettingsPicnicPort, T::Int16, &S::picnicPort},
    {ctl::SettingsLocalAz, T::SignedInt, &S::localSetAz},
    {ctl::SettingsLocalEl, T::SignedInt, &S::localSetEl},
    {ctl::SettingsSelector, T::SignedInt, &S::selector},
    {ctl::SettingsAzOut, T::UnsignedInt, &S::azOutOn},
    {ctl::SettingsElOut, T::SignedInt, &S::elOutOn},
    {ctl::SettingsPreset1Az, T::Text, &S::localSet1Az},
    {ctl::SettingsPreset1El, T::Text, &S::localSet1El},
    {ctl::SettingsPreset1Text, T::Text, &S::localSet1Text},
    {ctl::SettingsAscPort, T::Int16, &S::ascPort},
}};

} // namespace

const ui::DialogTemplate& SettingsDialogTemplate() {
    return kSettings;
}

SettingsValues LoadSettings(const platform::ProfileFile& profile) {
    const auto readInt = [&](const QString& name, std::int32_t fallback) {
        return profile.readInt(kSection, name, fallback);
    };
    const auto readText = [&](const QString& name, const QString& fallback) {
        return profile.readString(kSection, name, fallback);
    };
    SettingsValues values;
    values.binPort = LowSigned16(readInt(key::BinPort, defaults::BinPort));
    values.ascPort = LowSigned16(readInt(key::AscPort, defaults::AscPort));
    values.picnicIp1 = readText(key::PicnicIp1, defaults::PicnicIp1);
    values.picnicIp2 = readText(key::PicnicIp2, defaults::PicnicIp2);
    values.picnicIp3 = readText(key::PicnicIp3, defaults::PicnicIp3);
    values.picnicPort = LowSigned16(readInt(key::PicnicPort, defaults::PicnicPort));
    values.controlInterval = readInt(key::ControlInterval, defaults::ControlInterval);
    values.selector = readInt(key::Selector, defaults::Selector);
    values.localSet1Text = readText(key::LocalSet1Text, defaults::LocalSet1Text);
    values.localSet1Az = readText(key::LocalSet1Az, settingsDialogDefaults::LocalSet1Az);
    values.localSet1El = readText(key::LocalSet1El, settingsDialogDefaults::LocalSet1El);
    values.localSetAz = readInt(key::LocalSetAz, defaults::LocalSetAz);
    values.localSetEl = readInt(key::LocalSetEl, defaults::LocalSetEl);
    values.azOutOn = static_cast<std::uint32_t>(readInt(key::AzOutOn, defaults::AzOutOn));
    values.elOutOn = readInt(key::ElOutOn, defaults::ElOutOn);
    return values;
}

bool SaveSettings(platform::ProfileFile& profile, const SettingsValues& values) {
    bool saved = true;
    const auto writeInt = [&](const QString& name, std::int32_t value) {
        saved = profile.writeInt(kSection, name, value) && saved;
    };
    const auto writeText = [&](const QString& name, const QString& text) {
        saved = profile.writeString(kSection, name, text) && saved;
    };
    writeInt(key::BinPort, values.binPort);
    writeInt(key::AscPort, values.ascPort);
    writeText(key::PicnicIp1, values.picnicIp1);
    writeText(key::PicnicIp2, values.picnicIp2);
    writeText(key::PicnicIp3, values.picnicIp3);
    writeInt(key::PicnicPort, values.picnicPort);
    writeInt(key::ControlInterval, values.controlInterval);
    writeInt(key::Selector, values.selector);
    writeText(key::LocalSet1Text, values.localSet1Text);
    writeText(key::LocalSet1Az, values.localSet1Az);
    writeText(key::LocalSet1El, values.localSet1El);
    writeInt(key::LocalSetAz, values.localSetAz);
    writeInt(key::LocalSetEl, values.localSetEl);
    writeInt(key::AzOutOn, static_cast<std::int32_t>(values.azOutOn));
    writeInt(key::ElOutOn, values.elOutOn);
    return saved;
}

CSettingsDlg::CSettingsDlg(const platform::ProfileFile& profile, platform::MessageSink& messages,
                           QWidget* parent)
    : QDialog(parent), m_messages(messages), m_controls(ui::BuildModalDialog(this, kSettings)) {
    ui::ShowFields<S>(kBindings, m_values, m_controls);
    m_values = LoadSettings(profile);
    ui::ShowFields<S>(kBindings, m_values, m_controls);
    m_controls.find(ui::kIdOk)->setFocus();
}

void CSettingsDlg::accept() {
    const ui::FieldReadResult result = ui::ReadFields<S>(kBindings, m_values, m_controls);
    if (!result.ok) {
        m_messages.show(this, result.message);
        ui::FocusRefusedField(m_controls.find(result.refusedControlId));
        return;
    }
    QDialog::accept();
}

} // namespace zenko::ui

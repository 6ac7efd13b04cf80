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
    {ui::kIdCancel, K::PushButton, "ｷｬﾝｾﾙ", 216, 45, 37, 14},
    {1045, K::Edit, "", 131, 29, 70, 12, "バイナリー設定値受信ポート"},
    {1048, K::Edit, "", 130, 68, 70, 12, "PICNIC IP-1"},
    {1050, K::Edit, "", 130, 88, 70, 12, "PICNIC IP-2"},
    {1051, K::Edit, "", 130, 110, 70, 12, "PICNIC IP-3"},
    {1052, K::Edit, "", 130, 130, 70, 12, "PICNIC PORT"},
    {1053, K::Edit, "", 130, 149, 70, 12, "制御周期(秒）"},
    {1054, K::Edit, "", 130, 254, 70, 12, "ローカル設定方位角（度）"},
    {1055, K::Edit, "", 130, 276, 70, 13, "ローカル設定仰角（度）"},
    {1056, K::Edit, "", 130, 170, 70, 12, "ローカルリモート選択（１，２，３）"},
    {1057, K::Edit, "", 130, 297, 70, 12, "方位角制御出力（１：ＯＮ，０：ＯＦＦ）"},
    {1058, K::Edit, "", 130, 317, 70, 12, "仰角制御出力(１：ＯＮ，０：ＯＦＦ）"},
    {1067, K::Edit, "", 130, 190, 70, 12, "ローカル設定１テキスト"},
    {1064, K::Edit, "", 130, 209, 70, 12, "ローカル設定１方位角（度）"},
    {1065, K::Edit, "", 130, 232, 70, 12, "ローカル設定１仰角（度）"},
    {1072, K::Edit, "", 130, 49, 70, 12, "アスキー設定値受信ポート"},
    {ui::kNoId, K::Label, "バイナリー設定値受信ポート", 19, 29, 97, 11},
    {ui::kNoId, K::Label, "アスキー設定値受信ポート", 19, 49, 96, 10},
    {ui::kNoId, K::Label, "PICNIC IP-1", 19, 69, 42, 11},
    {ui::kNoId, K::Label, "PICNIC IP-2", 19, 89, 42, 11},
    {ui::kNoId, K::Label, "PICNIC IP-3", 19, 111, 45, 10},
    {ui::kNoId, K::Label, "PICNIC PORT", 19, 129, 46, 11},
    {ui::kNoId, K::Label, "制御周期(秒）", 19, 149, 45, 9},
    {ui::kNoId, K::Label, "ローカルリモート選択（１，２，３）", 19, 170, 100, 11},
    {ui::kNoId, K::Label, "ローカル設定１テキスト", 19, 190, 74, 10},
    {ui::kNoId, K::Label, "ローカル設定１方位角（度）", 19, 211, 93, 10},
    {ui::kNoId, K::Label, "ローカル設定１仰角（度）", 19, 233, 87, 8},
    {ui::kNoId, K::Label, "ローカル設定方位角（度）", 19, 254, 93, 11},
    {ui::kNoId, K::Label, "ローカル設定仰角（度）", 19, 276, 85, 13},
    {ui::kNoId, K::Label, "方位角制御出力（１：ＯＮ，０：ＯＦＦ）", 19, 297, 112, 12},
    {ui::kNoId, K::Label, "仰角制御出力(１：ＯＮ，０：ＯＦＦ）", 19, 317, 111, 10},
}};

constexpr ui::DialogTemplate kSettings{0, "初期設定", 268, 338, kControls};

// The transfer order between fields and values, both directions.
const std::array<ui::FieldBinding<S>, 15> kBindings{{
    {1048, T::Text, &S::picnicIp1},
    {1050, T::Text, &S::picnicIp2},
    {1051, T::Text, &S::picnicIp3},
    {1045, T::Int16, &S::binPort},
    {1053, T::SignedInt, &S::controlInterval},
    {1052, T::Int16, &S::picnicPort},
    {1054, T::SignedInt, &S::localSetAz},
    {1055, T::SignedInt, &S::localSetEl},
    {1056, T::SignedInt, &S::selector},
    {1057, T::UnsignedInt, &S::azOutOn},
    {1058, T::SignedInt, &S::elOutOn},
    {1064, T::Text, &S::localSet1Az},
    {1065, T::Text, &S::localSet1El},
    {1067, T::Text, &S::localSet1Text},
    {1072, T::Int16, &S::ascPort},
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

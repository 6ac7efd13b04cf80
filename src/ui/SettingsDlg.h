#pragma once

#include <cstdint>

#include <QDialog>
#include <QString>

#include "ui/DialogBuilder.h"

namespace zenko::platform {
class MessageSink;
class ProfileFile;
} // namespace zenko::platform

namespace zenko::ui {

// Control ids of the settings dialog.
namespace ctl {
inline constexpr int SettingsBinPort = 1045;
inline constexpr int SettingsPicnicIp1 = 1048;
inline constexpr int SettingsPicnicIp2 = 1050;
inline constexpr int SettingsPicnicIp3 = 1051;
inline constexpr int SettingsPicnicPort = 1052;
inline constexpr int SettingsControlInterval = 1053;
inline constexpr int SettingsLocalAz = 1054;
inline constexpr int SettingsLocalEl = 1055;
inline constexpr int SettingsSelector = 1056;
inline constexpr int SettingsAzOut = 1057;
inline constexpr int SettingsElOut = 1058;
inline constexpr int SettingsPreset1Az = 1064;
inline constexpr int SettingsPreset1El = 1065;
inline constexpr int SettingsPreset1Text = 1067;
inline constexpr int SettingsAscPort = 1072;
} // namespace ctl

// The fifteen settings as the settings dialog holds them: its own types, its own defaults, and
// the output flags as read (2 stays 2).
struct SettingsValues {
    std::int16_t binPort = 0;
    QString picnicIp1;
    QString picnicIp2;
    QString picnicIp3;
    std::int16_t picnicPort = 0;
    std::int32_t controlInterval = 0;
    std::int32_t localSetAz = 0;
    std::int32_t localSetEl = 0;
    std::int32_t selector = 0;
    std::uint32_t azOutOn = 0;
    std::int32_t elOutOn = 0;
    QString localSet1Text;
    QString localSet1Az;
    QString localSet1El;
    std::int16_t ascPort = 0;
};

// Read with the settings dialog's defaults, in the order the keys have always been read.
SettingsValues LoadSettings(const platform::ProfileFile& profile);
// Writes all fifteen keys in order, integers as signed decimal text; false when any write
// failed (the others are still attempted).
bool SaveSettings(platform::ProfileFile& profile, const SettingsValues& values);

// Edits the configuration file only: it reads the keys when it opens, and its caller writes
// them when it ends with OK. The running controller is not touched; the settings take effect
// at the next start.
class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CSettingsDlg(const platform::ProfileFile& profile, platform::MessageSink& messages,
                 QWidget* parent = nullptr);

    const SettingsValues& values() const { return m_values; }
    const ui::BuiltControls& controls() const { return m_controls; }

protected:
    // OK reads every field; a refused field keeps the dialog open with its message.
    void accept() override;

private:
    platform::MessageSink& m_messages;
    ui::BuiltControls m_controls;
    SettingsValues m_values;
};

const ui::DialogTemplate& SettingsDialogTemplate();

} // namespace zenko::ui

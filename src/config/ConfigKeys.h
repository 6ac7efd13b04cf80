#pragma once

#include <cstdint>

#include <QString>

// The configuration file: one section, 33 keys. The main window and the settings dialog carry
// their own defaults, and where they differ both are what the operator sees.
namespace zenko::config {

inline const QString kFileName = QStringLiteral("ZENKO.ini");
inline const QString kSection = QStringLiteral("ZENKO");

namespace key {
inline const QString BinPort = QStringLiteral("Bin_Set_Value_Receiving_Port");
inline const QString AscPort = QStringLiteral("Asc_Set_Value_Receiving_Port");
inline const QString PicnicIp1 = QStringLiteral("PICNIC_IP_1");
inline const QString PicnicIp2 = QStringLiteral("PICNIC_IP_2");
inline const QString PicnicIp3 = QStringLiteral("PICNIC_IP_3");
inline const QString PicnicPort = QStringLiteral("PICNIC_PARA_PORT");
inline const QString ControlInterval = QStringLiteral("Control_Interval");
inline const QString Selector = QStringLiteral("Local_Remote_Selector");
inline const QString LocalSet1Text = QStringLiteral("Local_Set_1_Text");
inline const QString LocalSet1Az = QStringLiteral("Local_Set_1_Az_Ang");
inline const QString LocalSet1El = QStringLiteral("Local_Set_1_El_Ang");
inline const QString LocalSetAz = QStringLiteral("Local_Set_Az_Ang");
inline const QString LocalSetEl = QStringLiteral("Local_Set_El_Ang");
inline const QString AzOutOn = QStringLiteral("Az_Out_On");
inline const QString ElOutOn = QStringLiteral("El_Out_On");
inline const QString CalAzAng1 = QStringLiteral("Cal_Az_Ang_1");
inline const QString CalAzVolt1 = QStringLiteral("Cal_Az_Volt_1");
inline const QString CalElAng1 = QStringLiteral("Cal_El_Ang_1");
inline const QString CalElVolt1 = QStringLiteral("Cal_El_Volt_1");
inline const QString CalAzAng2 = QStringLiteral("Cal_Az_Ang_2");
inline const QString CalAzVolt2 = QStringLiteral("Cal_Az_Volt_2");
inline const QString CalElAng2 = QStringLiteral("Cal_El_Ang_2");
inline const QString CalElVolt2 = QStringLiteral("Cal_El_Volt_2");
// Not in the settings dialog: a station sets it in the file.
inline const QString FeedbackTimeout = QStringLiteral("Feedback_Timeout");
// Not in the settings dialog, whose layout is fixed; absent it is the designed drive law.
inline const QString TrackingDrive = QStringLiteral("Tracking_Drive");
// Not in the settings dialog; absent or blank, every sender is served as always.
inline const QString SetValueAllow = QStringLiteral("SetValue_Allow");
// Read by the application before any window exists (the window takes the name again for its
// title); not in the settings dialog.
inline const QString Language = QStringLiteral("Language");
inline const QString InstanceName = QStringLiteral("Instance_Name");
// Not in the settings dialog: the motion guard's seconds and the soft limits' degrees, each
// absent by default, read strictly (a value that is no integer refuses Start).
inline const QString StallTimeout = QStringLiteral("Stall_Timeout");
inline const QString AzMinAng = QStringLiteral("Az_Min_Ang");
inline const QString AzMaxAng = QStringLiteral("Az_Max_Ang");
inline const QString ElMinAng = QStringLiteral("El_Min_Ang");
inline const QString ElMaxAng = QStringLiteral("El_Max_Ang");
} // namespace key

// Defaults shared by both readers.
namespace defaults {
inline constexpr std::int32_t BinPort = 10005;
inline constexpr std::int32_t AscPort = 10006;
// Three consecutive private addresses, offered until a real board is configured. They are
// never contacted by the tests, the tools or the demo, which all configure loopback.
inline const QString PicnicIp1 = QStringLiteral("192.168.1.101");
inline const QString PicnicIp2 = QStringLiteral("192.168.1.102");
inline const QString PicnicIp3 = QStringLiteral("192.168.1.103");
inline constexpr std::int32_t PicnicPort = 10001;
inline constexpr std::int32_t ControlInterval = 2;
inline constexpr std::int32_t Selector = 1;
inline const QString LocalSet1Text = QStringLiteral("CS放送");
inline constexpr std::int32_t LocalSetAz = 180;
inline constexpr std::int32_t LocalSetEl = 0;
inline constexpr std::int32_t AzOutOn = 1;
inline constexpr std::int32_t ElOutOn = 1;
inline const QString CalAzAng1 = QStringLiteral("0");
inline const QString CalAzVolt1 = QStringLiteral("0");
inline const QString CalElAng1 = QStringLiteral("0");
inline const QString CalElVolt1 = QStringLiteral("0");
inline const QString CalAzAng2 = QStringLiteral("180");
inline const QString CalAzVolt2 = QStringLiteral("4.5");
inline const QString CalElAng2 = QStringLiteral("90");
inline const QString CalElVolt2 = QStringLiteral("4.5");
// Seconds; 0 leaves the guard off.
inline constexpr std::int32_t FeedbackTimeout = 0;
inline constexpr std::int32_t TrackingDrive = 0;
inline const QString SetValueAllow;
} // namespace defaults

// Preset 1's angles differ between the two readers: the main window shows 222.22/22.22 for an
// absent key, the settings dialog offers (and on OK writes) 222.23/22.23.
namespace mainWindowDefaults {
inline const QString LocalSet1Az = QStringLiteral("222.22");
inline const QString LocalSet1El = QStringLiteral("22.22");
} // namespace mainWindowDefaults

namespace settingsDialogDefaults {
inline const QString LocalSet1Az = QStringLiteral("222.23");
inline const QString LocalSet1El = QStringLiteral("22.23");
} // namespace settingsDialogDefaults

// A port is held as the low 16 bits of the integer read, taken as signed (65535 -> -1).
inline std::int16_t LowSigned16(std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(value)));
}

// Only exactly 1 enables an output; the settings dialog keeps the value as read.
inline std::int32_t OutputFlag(std::int32_t value) {
    return value == 1 ? 1 : 0;
}

// Only exactly 1 chooses the tracking drive; every other value keeps the designed law.
inline bool TrackingDriveOn(std::int32_t value) {
    return value == 1;
}

} // namespace zenko::config

#pragma once

#include "ui/DialogTemplate.h"

namespace zenko::ui {

// Control ids of the main window.
namespace ctl {
inline constexpr int Start = 1017;
inline constexpr int Stop = 1019;
inline constexpr int Exit = 1022;
inline constexpr int BinPort = 1030;
inline constexpr int PicnicIp = 1000;
inline constexpr int PicnicPort = 1001;
inline constexpr int ControlInterval = 1002;
inline constexpr int AzAngle = 1003;
inline constexpr int ElAngle = 1004;
inline constexpr int AzVolt = 1023;
inline constexpr int ElVolt = 1024;
inline constexpr int AzError = 1005;
inline constexpr int ElError = 1006;
inline constexpr int AzDrivePos = 1025;
inline constexpr int AzDriveNeg = 1007;
inline constexpr int ElDrivePos = 1008;
inline constexpr int ElDriveNeg = 1026;
inline constexpr int OutputGroup = 1027;
inline constexpr int AzOut = 1028;
inline constexpr int ElOut = 1029;
inline constexpr int RadioPreset1 = 1066;
inline constexpr int RadioLocal = 1015;
inline constexpr int RadioRemote = 1016;
inline constexpr int Preset1Text = 1063;
inline constexpr int Preset1Az = 1064;
inline constexpr int Preset1El = 1065;
inline constexpr int LocalAz = 1009;
inline constexpr int LocalAzSpin = 1013;
inline constexpr int LocalEl = 1010;
inline constexpr int LocalElSpin = 1014;
inline constexpr int RemoteAz = 1011;
inline constexpr int RemoteEl = 1012;
inline constexpr int AscPort = 1070;
} // namespace ctl

// Menu bar commands: each top-level item is a command by itself.
namespace cmd {
inline constexpr int Settings = 32773;
inline constexpr int CalPoint1 = 32771;
inline constexpr int CalPoint2 = 32772;
} // namespace cmd

struct MenuCommand {
    int id;
    const char* caption;
};

// Template 102.
const DialogTemplate& MainWindowTemplate();
std::span<const MenuCommand> MainWindowMenu();

} // namespace zenko::ui

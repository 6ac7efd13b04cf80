#include "ui/MainWindowTemplate.h"

#include <array>

namespace zenko::ui {

namespace {

using K = ControlKind;

// Creation order is the tab order; positions are x, y, width, height in dialog units.
constexpr std::array<ControlSpec, 59> kControls{{
    {ctl::Start, K::PushButton, QT_TRANSLATE_NOOP("MainWindow", "開始"), 356, 126, 50, 19},
    {ctl::Stop, K::PushButton, QT_TRANSLATE_NOOP("MainWindow", "停止"), 356, 156, 50, 18},
    {ctl::Exit, K::PushButton, QT_TRANSLATE_NOOP("MainWindow", "終了"), 356, 186, 50, 16},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "バイナリー設定値受信ポート"), 18, 11, 94, 9},
    {ctl::BinPort, K::Edit, "", 122, 11, 32, 12,
     QT_TRANSLATE_NOOP("MainWindow", "バイナリー設定値受信ポート")},
    {kNoId, K::Label, "PICNIC IP", 18, 29, 39, 10},
    {ctl::PicnicIp, K::ComboDropDown, "", 62, 29, 67, 58, "PICNIC IP"},
    {kNoId, K::Label, "PORT", 143, 29, 19, 8},
    {ctl::PicnicPort, K::Edit, "", 162, 29, 40, 12, "PICNIC PORT"},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "制御周期（秒）"), 218, 29, 49, 11},
    {ctl::ControlInterval, K::Edit, "", 267, 29, 26, 12,
     QT_TRANSLATE_NOOP("MainWindow", "制御周期（秒）")},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "現在値"), 7, 49, 195, 43},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "方位角（度）"), 13, 60, 39, 10},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "仰角（度）"), 15, 78, 34, 10},
    {ctl::AzAngle, K::Edit, "", 52, 58, 43, 12,
     QT_TRANSLATE_NOOP("MainWindow", "現在値 方位角（度）")},
    {ctl::ElAngle, K::Edit, "", 52, 77, 43, 12,
     QT_TRANSLATE_NOOP("MainWindow", "現在値 仰角（度）")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "方位角電圧（Ｖ）"), 102, 60, 52, 11},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "仰角電圧（Ｖ）"), 102, 78, 52, 11},
    {ctl::AzVolt, K::Edit, "", 154, 60, 43, 12,
     QT_TRANSLATE_NOOP("MainWindow", "現在値 方位角電圧（Ｖ）")},
    {ctl::ElVolt, K::Edit, "", 154, 78, 43, 12,
     QT_TRANSLATE_NOOP("MainWindow", "現在値 仰角電圧（Ｖ）")},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "偏差値"), 202, 50, 98, 42},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "方位角（度）"), 212, 60, 39, 10},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "仰角(度）"), 213, 78, 30, 13},
    {ctl::AzError, K::Edit, "", 258, 60, 35, 12,
     QT_TRANSLATE_NOOP("MainWindow", "偏差値 方位角（度）")},
    {ctl::ElError, K::Edit, "", 258, 78, 35, 12,
     QT_TRANSLATE_NOOP("MainWindow", "偏差値 仰角(度）")},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "制御値"), 306, 25, 77, 85},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "方位角"), 313, 51, 24, 9},
    {ctl::AzDrivePos, K::Edit, "", 343, 40, 40, 12,
     QT_TRANSLATE_NOOP("MainWindow", "制御値 方位角 正偏差")},
    {ctl::AzDriveNeg, K::Edit, "", 343, 54, 40, 12,
     QT_TRANSLATE_NOOP("MainWindow", "制御値 方位角 負偏差")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "仰角"), 313, 84, 16, 16},
    {ctl::ElDrivePos, K::Edit, "", 343, 78, 40, 12,
     QT_TRANSLATE_NOOP("MainWindow", "制御値 仰角 正偏差")},
    {ctl::ElDriveNeg, K::Edit, "", 343, 92, 40, 12,
     QT_TRANSLATE_NOOP("MainWindow", "制御値 仰角 負偏差")},
    {ctl::OutputGroup, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "出力"), 390, 29, 29, 86},
    {ctl::AzOut, K::CheckBox, "", 390, 46, 14, 14, QT_TRANSLATE_NOOP("MainWindow", "出力 方位角")},
    {ctl::ElOut, K::CheckBox, "", 392, 87, 14, 10, QT_TRANSLATE_NOOP("MainWindow", "出力 仰角")},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "選択"), 7, 99, 27, 161},
    {ctl::RadioPreset1, K::RadioButton, "", 13, 129, 13, 13,
     QT_TRANSLATE_NOOP("MainWindow", "選択 ローカル１設定値")},
    {ctl::RadioLocal, K::RadioButton, "", 13, 178, 11, 15,
     QT_TRANSLATE_NOOP("MainWindow", "選択 ローカル設定値")},
    {ctl::RadioRemote, K::RadioButton, "", 13, 231, 11, 12,
     QT_TRANSLATE_NOOP("MainWindow", "選択 リモート設定値")},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "ローカル１設定値"), 46, 98, 116, 61},
    {ctl::Preset1Text, K::ReadOnlyEdit, "", 70, 110, 92, 12,
     QT_TRANSLATE_NOOP("MainWindow", "ローカル１設定値 名称")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "方位角（度）"), 56, 131, 39, 8},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "仰角（度）"), 57, 145, 32, 8},
    {ctl::Preset1Az, K::ReadOnlyEdit, "", 102, 125, 52, 12,
     QT_TRANSLATE_NOOP("MainWindow", "ローカル１設定値 方位角（度）")},
    {ctl::Preset1El, K::ReadOnlyEdit, "", 102, 142, 52, 12,
     QT_TRANSLATE_NOOP("MainWindow", "ローカル１設定値 仰角（度）")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "方位角（度）"), 56, 178, 39, 11},
    {ctl::LocalAz, K::Edit, "", 102, 175, 42, 12,
     QT_TRANSLATE_NOOP("MainWindow", "ローカル設定値 方位角（度）")},
    {ctl::LocalAzSpin, K::UpDown, "", 143, 172, 11, 15,
     QT_TRANSLATE_NOOP("MainWindow", "ローカル設定値 方位角（度） 増減")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "仰角（度）"), 54, 193, 32, 10},
    {ctl::LocalEl, K::Edit, "", 102, 191, 41, 12,
     QT_TRANSLATE_NOOP("MainWindow", "ローカル設定値 仰角（度）")},
    {ctl::LocalElSpin, K::UpDown, "", 143, 189, 11, 13,
     QT_TRANSLATE_NOOP("MainWindow", "ローカル設定値 仰角（度） 増減")},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "リモート設定値"), 44, 217, 118, 43},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "方位角(度）"), 49, 228, 40, 11},
    {ctl::RemoteAz, K::Edit, "", 102, 227, 52, 12,
     QT_TRANSLATE_NOOP("MainWindow", "リモート設定値 方位角(度）")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "仰角(度）"), 52, 243, 30, 11},
    {ctl::RemoteEl, K::Edit, "", 102, 239, 52, 12,
     QT_TRANSLATE_NOOP("MainWindow", "リモート設定値 仰角(度）")},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("MainWindow", "ローカル設定値"), 45, 165, 117, 43},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("MainWindow", "アスキー設定値受信ポート"), 172, 11, 86, 10},
    {ctl::AscPort, K::Edit, "", 266, 11, 27, 12,
     QT_TRANSLATE_NOOP("MainWindow", "アスキー設定値受信ポート")},
}};

// The template's caption; initialisation replaces it with the run-time title.
constexpr DialogTemplate kMainWindow{102, "ZENKO", 426, 267, kControls, "MainWindow"};

// The first caption ends in an ideographic space, as designed.
constexpr std::array<MenuCommand, 3> kMenu{{
    {cmd::Settings, QT_TRANSLATE_NOOP("MainWindow", "初期設定　")},
    {cmd::CalPoint1, QT_TRANSLATE_NOOP("MainWindow", "校正－１")},
    {cmd::CalPoint2, QT_TRANSLATE_NOOP("MainWindow", "校正－２")},
}};

} // namespace

const DialogTemplate& MainWindowTemplate() {
    return kMainWindow;
}

std::span<const MenuCommand> MainWindowMenu() {
    return kMenu;
}

} // namespace zenko::ui

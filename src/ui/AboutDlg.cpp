#include "ui/AboutDlg.h"

#include <array>

#include "ui/DialogBuilder.h"

namespace zenko::ui {

namespace {

using K = ControlKind;

constexpr std::array<ControlSpec, 3> kControls{{
    {kNoId, K::Icon, "", 11, 17, 20, 20, "ZENKO"},
    {kNoId, K::Label, "ZENKO Version 1.00", 40, 10, 119, 8},
    {kIdOk, K::DefaultPushButton, "OK", 178, 7, 50, 14},
}};

// No blank before の here, unlike the menu item that opens it.
constexpr DialogTemplate kAbout{
    100, QT_TRANSLATE_NOOP("AboutDialog", "ZENKOのﾊﾞｰｼﾞｮﾝ情報"), 235, 55, kControls, "AboutDialog"};

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    BuildModalDialog(this, kAbout);
}

} // namespace zenko::ui

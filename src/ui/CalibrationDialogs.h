#pragma once

#include <array>

#include <QDialog>
#include <QString>

#include "ui/DialogBuilder.h"

class CControllerDlg;

namespace zenko::ui {

// Control ids of the two calibration dialogs.
namespace ctl {
inline constexpr int Cal1AzAngle = 1033;
inline constexpr int Cal1ElAngle = 1034;
inline constexpr int Cal1AzVolt = 1035;
inline constexpr int Cal1ElVolt = 1036;
inline constexpr int Cal2AzAngle = 1039;
inline constexpr int Cal2ElAngle = 1040;
inline constexpr int Cal2AzVolt = 1041;
inline constexpr int Cal2ElVolt = 1042;
} // namespace ctl

// Shows the stored calibration point and hands the four texts, as typed, back on OK. The
// dialog itself refuses nothing: the update rule checks the point after it has closed.
class CalibrationPointDialog : public QDialog {
    Q_OBJECT
public:
    CalibrationPointDialog(int point, const DialogTemplate& dialog, QWidget* parent = nullptr);

    // Set before the dialog is shown.
    CControllerDlg* m_pOwner = nullptr;

    int point() const { return m_point; }
    const BuiltControls& controls() const { return m_controls; }

    // The texts of the four edits, read at OK.
    QString m_strAzAngle;
    QString m_strElAngle;
    QString m_strAzVolt;
    QString m_strElVolt;

protected:
    void showEvent(QShowEvent* event) override;
    void accept() override;

private:
    void Prefill();

    int m_point;
    BuiltControls m_controls;
    // The template's four edits, in the roles azimuth angle, elevation angle, azimuth voltage,
    // elevation voltage.
    std::array<int, 4> m_editIds;
    bool m_prefilled = false;
};

class CCalPoint1Dlg final : public CalibrationPointDialog {
    Q_OBJECT
public:
    explicit CCalPoint1Dlg(QWidget* parent = nullptr);
};

class CCalPoint2Dlg final : public CalibrationPointDialog {
    Q_OBJECT
public:
    explicit CCalPoint2Dlg(QWidget* parent = nullptr);
};

// Templates 132 and 133.
const DialogTemplate& CalPoint1Template();
const DialogTemplate& CalPoint2Template();

} // namespace zenko::ui

#include "ui/CalibrationDialogs.h"

#include <array>

#include <QLineEdit>

#include "platform/Formats.h"
#include "ui/ControllerDlg.h"

namespace zenko::ui {

namespace {

using K = ControlKind;

// The dialog captions use an ASCII hyphen before a full-width digit, the labels a full-width
// hyphen, and the voltage labels close with an ASCII "V)".
constexpr std::array<ControlSpec, 10> kPoint1Controls{{
    {kIdOk, K::DefaultPushButton, "OK", 201, 7, 33, 14},
    {kIdCancel, K::PushButton, QT_TRANSLATE_NOOP("CalibrationDialog", "ｷｬﾝｾﾙ"), 278, 7, 33, 14},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "方位角－１（度）"), 13, 43, 56, 13},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "仰角－１（度）"), 13, 71, 56, 13},
    {ctl::Cal1AzAngle, K::Edit, "", 80, 44, 47, 12,
     QT_TRANSLATE_NOOP("CalibrationDialog", "方位角－１（度）")},
    {ctl::Cal1ElAngle, K::Edit, "", 80, 71, 47, 12,
     QT_TRANSLATE_NOOP("CalibrationDialog", "仰角－１（度）")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "方位角電圧－１（V)"), 144, 43, 71,
     13},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "仰角電圧－１（V)"), 144, 71, 71, 13},
    {ctl::Cal1AzVolt, K::Edit, "", 222, 43, 51, 12,
     QT_TRANSLATE_NOOP("CalibrationDialog", "方位角電圧－１（V)")},
    {ctl::Cal1ElVolt, K::Edit, "", 222, 71, 51, 13,
     QT_TRANSLATE_NOOP("CalibrationDialog", "仰角電圧－１（V)")},
}};

constexpr std::array<ControlSpec, 10> kPoint2Controls{{
    {kIdOk, K::DefaultPushButton, "OK", 202, 7, 36, 14},
    {kIdCancel, K::PushButton, QT_TRANSLATE_NOOP("CalibrationDialog", "ｷｬﾝｾﾙ"), 274, 7, 39, 14},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "方位角－２（度）"), 17, 38, 53, 13},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "仰角－２（度）"), 17, 71, 53, 11},
    {ctl::Cal2AzAngle, K::Edit, "", 79, 38, 57, 13,
     QT_TRANSLATE_NOOP("CalibrationDialog", "方位角－２（度）")},
    {ctl::Cal2ElAngle, K::Edit, "", 79, 70, 57, 12,
     QT_TRANSLATE_NOOP("CalibrationDialog", "仰角－２（度）")},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "方位角電圧－２（V)"), 154, 38, 80,
     13},
    {kNoId, K::Label, QT_TRANSLATE_NOOP("CalibrationDialog", "仰角電圧－２（V)"), 154, 71, 72, 11},
    {ctl::Cal2AzVolt, K::Edit, "", 231, 38, 58, 13,
     QT_TRANSLATE_NOOP("CalibrationDialog", "方位角電圧－２（V)")},
    {ctl::Cal2ElVolt, K::Edit, "", 234, 70, 59, 12,
     QT_TRANSLATE_NOOP("CalibrationDialog", "仰角電圧－２（V)")},
}};

constexpr DialogTemplate kPoint1{132,
                                 QT_TRANSLATE_NOOP("CalibrationDialog", "校正-１"),
                                 322,
                                 100,
                                 kPoint1Controls,
                                 "CalibrationDialog"};
constexpr DialogTemplate kPoint2{133,
                                 QT_TRANSLATE_NOOP("CalibrationDialog", "校正-２"),
                                 320,
                                 103,
                                 kPoint2Controls,
                                 "CalibrationDialog"};

// The four edits of a template in creation order, which is the order of their roles.
std::array<int, 4> EditIds(const DialogTemplate& dialog) {
    std::array<int, 4> ids{};
    std::size_t next = 0;
    for (const ControlSpec& spec : dialog.controls) {
        if (spec.kind == K::Edit && next < ids.size()) {
            ids[next++] = spec.id;
        }
    }
    return ids;
}

} // namespace

const DialogTemplate& CalPoint1Template() {
    return kPoint1;
}
const DialogTemplate& CalPoint2Template() {
    return kPoint2;
}

CalibrationPointDialog::CalibrationPointDialog(int point, const DialogTemplate& dialog,
                                               QWidget* parent)
    : QDialog(parent), m_point(point), m_controls(BuildModalDialog(this, dialog)),
      m_editIds(EditIds(dialog)) {}

void CalibrationPointDialog::showEvent(QShowEvent* event) {
    if (!m_prefilled) {
        m_prefilled = true;
        Prefill();
    }
    QDialog::showEvent(event);
}

void CalibrationPointDialog::Prefill() {
    if (m_pOwner == nullptr) {
        return;
    }
    const CControllerDlg& owner = *m_pOwner;
    const bool first = m_point == 1;
    m_strAzAngle = platform::FormatAngle(first ? owner.m_dCalAzAng1 : owner.m_dCalAzAng2);
    m_strElAngle = platform::FormatAngle(first ? owner.m_dCalElAng1 : owner.m_dCalElAng2);
    m_strAzVolt = platform::FormatVolts(first ? owner.m_dCalAzVolt1 : owner.m_dCalAzVolt2);
    m_strElVolt = platform::FormatVolts(first ? owner.m_dCalElVolt1 : owner.m_dCalElVolt2);
    const QString* texts[] = {&m_strAzAngle, &m_strElAngle, &m_strAzVolt, &m_strElVolt};
    for (std::size_t i = 0; i < m_editIds.size(); ++i) {
        m_controls.get<QLineEdit>(m_editIds[i])->setText(*texts[i]);
    }
    // The first tab stop, as the platform always placed it.
    m_controls.find(kIdOk)->setFocus();
}

void CalibrationPointDialog::accept() {
    QString* texts[] = {&m_strAzAngle, &m_strElAngle, &m_strAzVolt, &m_strElVolt};
    for (std::size_t i = 0; i < m_editIds.size(); ++i) {
        *texts[i] = m_controls.get<QLineEdit>(m_editIds[i])->text();
    }
    QDialog::accept();
}

CCalPoint1Dlg::CCalPoint1Dlg(QWidget* parent) : CalibrationPointDialog(1, kPoint1, parent) {}

CCalPoint2Dlg::CCalPoint2Dlg(QWidget* parent) : CalibrationPointDialog(2, kPoint2, parent) {}

} // namespace zenko::ui

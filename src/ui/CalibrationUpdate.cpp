#include "config/ConfigKeys.h"
#include "core/AngleCalibration.h"
#include "platform/Formats.h"
#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/ProfileFile.h"
#include "ui/ControllerDlg.h"
#include "ui/ProfileMessages.h"

using namespace zenko;

void CControllerDlg::ApplyCalibrationPoint(int point, const QString& azAngle,
                                           const QString& elAngle, const QString& azVolt,
                                           const QString& elVolt) {
    const bool first = point == 1;
    const double newAzVolt = platform::LenientToDouble(azVolt);
    const double newElVolt = platform::LenientToDouble(elVolt);
    const core::CalibrationVerdict verdict =
        core::CheckCalibrationPoint(first ? m_dCalAzVolt2 : m_dCalAzVolt1, newAzVolt,
                                    first ? m_dCalElVolt2 : m_dCalElVolt1, newElVolt);
    if (verdict == core::CalibrationVerdict::AzError) {
        m_messages.show(this, QStringLiteral("Az calibration error !"));
        return;
    }
    if (verdict == core::CalibrationVerdict::ElError) {
        m_messages.show(this, QStringLiteral("El calibration error !"));
        return;
    }

    (first ? m_dCalAzAng1 : m_dCalAzAng2) = platform::LenientToDouble(azAngle);
    (first ? m_dCalAzVolt1 : m_dCalAzVolt2) = newAzVolt;
    (first ? m_dCalElAng1 : m_dCalElAng2) = platform::LenientToDouble(elAngle);
    (first ? m_dCalElVolt1 : m_dCalElVolt2) = newElVolt;

    m_dAzAngle = core::ConvertVoltsToAngle(m_dAzVolt, m_dCalAzVolt1, m_dCalAzVolt2, m_dCalAzAng1,
                                           m_dCalAzAng2);
    m_dElAngle = core::ConvertVoltsToAngle(m_dElVolt, m_dCalElVolt1, m_dCalElVolt2, m_dCalElAng1,
                                           m_dCalElAng2);
    m_strAzAngle = platform::FormatAngle(m_dAzAngle);
    m_strElAngle = platform::FormatAngle(m_dElAngle);
    m_strAzVolt = platform::FormatVolts(m_dAzVolt);
    m_strElVolt = platform::FormatVolts(m_dElVolt);

    // The texts as typed, blanks included. A failed save is told once: the point still holds
    // for this run, but the operator must not believe it was kept.
    namespace key = config::key;
    const std::pair<QString, const QString&> writes[] = {
        {first ? key::CalAzAng1 : key::CalAzAng2, azAngle},
        {first ? key::CalAzVolt1 : key::CalAzVolt2, azVolt},
        {first ? key::CalElAng1 : key::CalElAng2, elAngle},
        {first ? key::CalElVolt1 : key::CalElVolt2, elVolt},
    };
    bool saved = true;
    for (const auto& [name, text] : writes) {
        saved = m_profile.writeString(config::kSection, name, text) && saved;
    }
    if (!saved) {
        m_messages.show(this, ui::kProfileWriteError);
    }
}

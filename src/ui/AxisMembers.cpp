#include "ui/AxisMembers.h"

#include "core/AngleCalibration.h"
#include "platform/Formats.h"

namespace zenko::ui {

void UpdateAxisReadouts(core::ControllerState& state, const AxisMembers& axis) {
    state.*axis.angle =
        core::ConvertVoltsToAngle(state.*axis.volts, state.*axis.calVolts1, state.*axis.calVolts2,
                                  state.*axis.calAngle1, state.*axis.calAngle2);
    state.*axis.angleText = platform::FormatAngle(state.*axis.angle);
    state.*axis.voltsText = platform::FormatVolts(state.*axis.volts);
    state.*axis.error = state.*axis.angle - state.*axis.target;
    state.*axis.errorText = platform::FormatAngle(state.*axis.error);
    state.*axis.drivePositive = 0;
    state.*axis.driveNegative = 0;
}

} // namespace zenko::ui

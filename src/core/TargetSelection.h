#pragma once

#include <cstdint>

#include <QString>

#include "core/ControllerState.h"

namespace zenko::core {

// Sets both targets from the source the selector names; any value but 1, 2 or 3 leaves them.
void SelectTarget(ControllerState& state, std::int32_t selector);

// The Local set values as the operator's two edits hold them, converted leniently: the spin
// ranges do not limit what is taken (500 stays 500, "12abc" gives 12, letters give 0).
void ReadLocalSetValues(ControllerState& state, const QString& azText, const QString& elText);

// The selector that the first checked radio button names (1066, 1015, 1016 in this order),
// or the held selector when none is checked.
std::int32_t SelectorFromRadios(bool preset1Checked, bool localChecked, bool remoteChecked,
                                std::int32_t held);

// Remote set values become the current angles, so that the antenna holds its position until a
// remote set value arrives; their readouts are formatted, not shown.
void TakeCurrentAnglesAsRemote(ControllerState& state);

} // namespace zenko::core

#pragma once

#include <span>

#include "core/ControllerState.h"
#include "ui/FieldExchange.h"

namespace zenko::ui {

// The main window's fields and the state members they show and are read into, in the fixed
// order of both transfers.
std::span<const FieldBinding<core::ControllerState>> MainWindowBindings();

} // namespace zenko::ui

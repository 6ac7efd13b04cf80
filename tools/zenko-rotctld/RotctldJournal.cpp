#include "zenko-rotctld/RotctldJournal.h"

namespace zenko::rotctld {

// Info is on without any logging rule: an operator who starts the bridge by hand or as a service
// sees who connected and when the controller went silent.
Q_LOGGING_CATEGORY(lcRotctld, "zenko.rotctld", QtInfoMsg)

} // namespace zenko::rotctld

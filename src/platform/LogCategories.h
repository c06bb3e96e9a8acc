#pragma once

#include <QLoggingCategory>

namespace kr {

// The logging categories shared by several files, each defined once. The
// debug lines of the kit, the states and the effects are off unless asked
// for (QT_LOGGING_RULES="kr.states.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcFolderMonitor) // "kr.platform.monitor"
Q_DECLARE_LOGGING_CATEGORY(lcKit)           // "kr.kit"
Q_DECLARE_LOGGING_CATEGORY(lcStates)        // "kr.states"
Q_DECLARE_LOGGING_CATEGORY(lcEffects)       // "kr.effects"

} // namespace kr

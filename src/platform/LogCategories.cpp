#include "platform/LogCategories.h"

namespace kr {

Q_LOGGING_CATEGORY(lcFolderMonitor, "kr.platform.monitor")
Q_LOGGING_CATEGORY(lcKit, "kr.kit", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStates, "kr.states", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEffects, "kr.effects", QtInfoMsg)

} // namespace kr

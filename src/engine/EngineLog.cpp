#include "engine/EngineLog.h"

namespace kr {

Q_LOGGING_CATEGORY(lcEngine, "kr.engine")

} // namespace kr

#include "engine/TimedStateMachineTypes.h"

namespace kr {

QString State::text() const {
  if (isElapsed())
    return QStringLiteral("elapsed");
  return QStringLiteral("working(extendedBy: %1)").arg(extendedBy_);
}

} // namespace kr

#include "effects/DimmingManager.h"

#include "effects/EventOutputs.h"

namespace kr {

void DimmingManager::startBlackOutWithDuration(qint64 duration, float alpha) {
  outputs_.quickFadeAllScreens(QColor(Qt::black), alpha, 2.0 * double(duration));
}

} // namespace kr

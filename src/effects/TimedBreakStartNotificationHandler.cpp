#include "effects/TimedBreakStartNotificationHandler.h"

namespace kr {

bool TimedBreakStartNotificationHandler::handleNotificationWithValue(
    const NotificationContext& context, int value, int maxValue) {
  static const OutputKeys keys{
      QStringLiteral("breakStartSoundOn"),     QStringLiteral("breakStartSound"),
      QStringLiteral("breakStartSoundVolume"), QStringLiteral("speechBreakStartOn"),
      QStringLiteral("speechBreakStartText"),  QStringLiteral("growlBreakStartOn"),
      QStringLiteral("growlBreakStartText"),   QStringLiteral("growlBreakStartDescription"),
      QStringLiteral("growlBreakStartSticky"), QStringLiteral("timed_break_start")};
  produceOutputs(context, keys, value, maxValue);
  return true;
}

} // namespace kr

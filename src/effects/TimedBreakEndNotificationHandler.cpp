#include "effects/TimedBreakEndNotificationHandler.h"

namespace kr {

bool TimedBreakEndNotificationHandler::handleNotificationWithValue(
    const NotificationContext& context, int value, int maxValue) {
  static const OutputKeys keys{
      QStringLiteral("breakEndSoundOn"),     QStringLiteral("breakEndSound"),
      QStringLiteral("breakEndSoundVolume"), QStringLiteral("breakSpeechEndOn"),
      QStringLiteral("breakSpeechEndText"),  QStringLiteral("breakGrowlEndOn"),
      QStringLiteral("breakGrowlEndText"),   QStringLiteral("breakGrowlEndDescription"),
      QStringLiteral("breakGrowlEndSticky"), QStringLiteral("timed_break_end")};
  produceOutputs(context, keys, value, maxValue);
  return true;
}

} // namespace kr

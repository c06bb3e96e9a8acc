#pragma once

#include "effects/TimeSliceElapsedNotificationHandler.h"

namespace kr {

// The slice was paused: the elapsed handling with the paused keys.
class TimeSlicePausedNotificationHandler final : public TimeSliceElapsedNotificationHandler {
protected:
  QString handlerClassName() const override {
    return QStringLiteral("TimeSlicePausedNotificationHandler");
  }
  QString soundOnKey() const override { return QStringLiteral("pausedSoundOn"); }
  QString soundKey() const override { return QStringLiteral("pausedSound"); }
  QString soundVolumeKey() const override { return QStringLiteral("pausedSoundVolume"); }
  QString speechOnKey() const override { return QStringLiteral("speechPausedOn"); }
  QString speechTextKey() const override { return QStringLiteral("speechPausedText"); }
  QString growlOnKey() const override { return QStringLiteral("growlPausedOn"); }
  QString growlTextKey() const override { return QStringLiteral("growlPausedText"); }
  QString growlDescriptionKey() const override { return QStringLiteral("growlPausedDescription"); }
  QString growlStickyKey() const override { return QStringLiteral("growlPausedSticky"); }
  QString eventHandlerName() const override { return QStringLiteral("time_slice_paused"); }
};

} // namespace kr

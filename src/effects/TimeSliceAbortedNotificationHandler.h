#pragma once

#include "effects/TimeSliceElapsedNotificationHandler.h"

namespace kr {

// The slice was stopped: the elapsed handling with the stopped keys.
class TimeSliceAbortedNotificationHandler final : public TimeSliceElapsedNotificationHandler {
protected:
  QString handlerClassName() const override {
    return QStringLiteral("TimeSliceAbortedNotificationHandler");
  }
  QString soundOnKey() const override { return QStringLiteral("stoppedSoundOn"); }
  QString soundKey() const override { return QStringLiteral("stoppedSound"); }
  QString soundVolumeKey() const override { return QStringLiteral("stoppedSoundVolume"); }
  QString speechOnKey() const override { return QStringLiteral("speechStoppedOn"); }
  QString speechTextKey() const override { return QStringLiteral("speechStoppedText"); }
  QString growlOnKey() const override { return QStringLiteral("growlStoppedOn"); }
  QString growlTextKey() const override { return QStringLiteral("growlStoppedText"); }
  QString growlDescriptionKey() const override { return QStringLiteral("growlStoppedDescription"); }
  QString growlStickyKey() const override { return QStringLiteral("growlStoppedSticky"); }
  QString eventHandlerName() const override { return QStringLiteral("time_slice_was_stopped"); }
};

} // namespace kr

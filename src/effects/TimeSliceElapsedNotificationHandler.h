#pragma once

#include "effects/TimeSliceRunningNotificationHandler.h"

namespace kr {

// A slice's time is up: the continuous sound stops, then the end outputs. The
// paused and stopped handlers change only the keys.
class TimeSliceElapsedNotificationHandler : public TimeSliceRunningNotificationHandler {
public:
  bool handleNotificationWithValue(const NotificationContext& context, int value,
                                   int maxValue) override;

protected:
  virtual QString handlerClassName() const;
  virtual QString soundOnKey() const;
  virtual QString soundKey() const;
  virtual QString soundVolumeKey() const;
  virtual QString speechOnKey() const;
  virtual QString speechTextKey() const;
  virtual QString growlOnKey() const;
  virtual QString growlTextKey() const;
  virtual QString growlDescriptionKey() const;
  virtual QString growlStickyKey() const;
  virtual QString eventHandlerName() const;
};

} // namespace kr

#include "states/TimeViewFactory.h"

#include "engine/StateMachine.h"

namespace kr {

TimeViewFactory& TimeViewFactory::shared() {
  static TimeViewFactory factory;
  return factory;
}

void TimeViewFactory::openQuickDurationDialog(QWidget* anchor, int initialMinutes,
                                              MinutesSetter setter) const {
  if (!runQuickDurationDialog)
    return;
  runQuickDurationDialog(
      anchor, initialMinutes,
      [asked = StateMachine::currentActivation(), setter = std::move(setter)](int minutes) {
        if (asked.stillHolds())
          setter(minutes);
      });
}

} // namespace kr

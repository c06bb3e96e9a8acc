#include "window/StatusItemClickRules.h"

namespace kr {

StatusItemClickRules::Outcome StatusItemClickRules::decide(const Situation& s) {
  const Outcome outcome = decideForWindow(s);
  // Hidden, a modal window would end its run: while one runs, the click
  // brings it forward with the main window instead.
  return outcome == Outcome::hide && s.modalWindowRuns ? Outcome::bringToFront : outcome;
}

StatusItemClickRules::Outcome StatusItemClickRules::decideForWindow(const Situation& s) {
  // A minimised window is not one the user sees: a click brings it back.
  if (!s.clickMovesWindowBelowIcon) {
    const bool hide =
        s.sameScreen ? s.applicationIsActive : s.windowIsVisible && !s.windowIsMinimized;
    return hide ? Outcome::hide : Outcome::bringToFront;
  }
  if (!s.applicationIsActive)
    return Outcome::moveAndBringToFront;
  if (s.clickOnOtherScreenThanWindow)
    return s.windowIsMinimized ? Outcome::moveAndBringToFront : Outcome::moveWindow;
  return s.windowIsMinimized ? Outcome::restore : Outcome::hide;
}

QPointF StatusItemClickRules::locationAtIcon(const QRect& icon, const QPointF& mouse) {
  if (icon.isEmpty())
    return mouse;
  return {double(icon.left()), double(icon.top() + icon.height())};
}

} // namespace kr

#pragma once

#include <QPointF>
#include <QRect>
#include <Qt>

namespace kr {

// What a left click on the status item does with the main window.
class StatusItemClickRules {
public:
  enum class Outcome {
    hide,         // hide the application
    bringToFront, // bring the main window to the front where it is
    moveWindow,   // place the window at the icon (the application stays active)
    restore,      // un-minimise the window and bring it to the front
    moveAndBringToFront
  };

  struct Situation {
    bool clickMovesWindowBelowIcon = true;
    bool applicationIsActive = false;
    // The click and the icon are on the same screen (two unknown screens count as one).
    bool sameScreen = true;
    // The click is on another screen than the main window.
    bool clickOnOtherScreenThanWindow = false;
    bool windowIsMinimized = false;
    bool windowIsVisible = false;
    // A modal window (Preferences) runs over the main window.
    bool modalWindowRuns = false;
  };

  static Outcome decide(const Situation& situation);

  // Whether a click pops the shared menu up instead: a right click, or a
  // left click with Ctrl held (the key a user here holds for a context
  // click) or with Super (where the stored shortcuts put that modifier).
  static bool popsMenu(bool rightButton, Qt::KeyboardModifiers modifiers) {
    return rightButton || modifiers.testFlag(Qt::ControlModifier) ||
           modifiers.testFlag(Qt::MetaModifier);
  }

  // The point a click on the icon suggests for the window's top-left corner
  // (before the window goes 60 to the left of it): the icon's left edge, just
  // below the icon. A tray that does not tell where the icon is (an empty
  // rectangle) leaves the mouse's location, which lies on the icon.
  static QPointF locationAtIcon(const QRect& icon, const QPointF& mouse);

private:
  // The outcome for the main window alone.
  static Outcome decideForWindow(const Situation& situation);
};

} // namespace kr

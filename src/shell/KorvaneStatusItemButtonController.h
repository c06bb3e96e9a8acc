#pragma once

#include "window/StatusItemClickRules.h"

#include <QPoint>
#include <QPointF>

#include <functional>

class QScreen;

namespace kr {

class AppDelegate;
class StatusItem;
class UserDefaults;

// Takes the status item's clicks: a left click shows, hides or moves the main
// window next to the icon; a right click has the tray pop up the shared menu.
class KorvaneStatusItemButtonController {
public:
  // Where the mouse is and whether the application is active; the desktop's
  // answers unless a test gives its own.
  struct Environment {
    std::function<QPoint()> mouseLocation;
    std::function<bool()> applicationIsActive;
    // The modifier keys held now (a tray's click carries none).
    std::function<Qt::KeyboardModifiers()> keyboardModifiers;
  };

  KorvaneStatusItemButtonController(AppDelegate& appDelegate, UserDefaults& defaults,
                                    Environment environment = {});

  // Routes the item's clicks here.
  void attach(StatusItem& item);
  void leftButtonDown(const StatusItem& item);
  // The tray pops the menu up itself on a right click; a left click with
  // Ctrl or Super held has the item pop it up (popUp).
  void rightButtonDown(StatusItem* popUp = nullptr);

  // The last location handed to the window placement.
  QPointF temporaryHint() const { return temporaryHint_; }

private:
  void perform(StatusItemClickRules::Outcome outcome, const QPointF& location);

  AppDelegate& appDelegate_;
  UserDefaults& defaults_;
  Environment environment_;
  QPointF temporaryHint_;
};

} // namespace kr

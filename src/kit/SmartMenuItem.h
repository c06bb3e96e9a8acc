#pragma once

#include <QAction>

#include <functional>

class QMenu;

namespace kr {

// A menu item that runs its closure when chosen, is enabled unless its
// validation closure says otherwise, and can be refreshed by its update
// closure before the menu that holds it opens.
class SmartMenuItem : public QAction {
  Q_OBJECT

public:
  using ActionFunc = std::function<void()>;
  using UpdateFunc = std::function<void(SmartMenuItem*)>;
  using ValidateFunc = std::function<bool(SmartMenuItem*)>;

  SmartMenuItem(const QString& title, ActionFunc action, UpdateFunc updateAction = {},
                QObject* parent = nullptr);

  ActionFunc actionFunc = [] {};
  UpdateFunc updateBeforeDisplayFunc;
  ValidateFunc traditionalValidateFunc;

  void buttonPressed();
  // Runs the update closure, when there is one.
  void updateBeforeDisplay();
  // The validation closure's answer, or true (enabled) without one.
  bool validateMenuItem();

  // Runs the update closures of the menu's smart items (the bricks that own a
  // menu do so as it opens).
  static void updateItemsOf(QMenu* menu);
  // Enables or disables the menu's smart items by their validation.
  static void validateItemsOf(QMenu* menu);
};

} // namespace kr

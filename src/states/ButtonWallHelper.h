#pragma once

#include <QString>

#include <functional>

class QPushButton;
class QWidget;

namespace kr {

// Fills a state's button wall from the right edge leftwards.
class ButtonWallHelper {
public:
  ButtonWallHelper() = delete;
  // Adds a push button left of the buttons already there. The default button
  // carries the Return key (BaseState::simulateDefaultButtonPress presses it).
  static QPushButton* addButton(QWidget* buttonWall, const QString& title, bool isDefault,
                                std::function<void()> action);
};

} // namespace kr

#pragma once

#include "kit/TextField.h"

#include <functional>

namespace kr {

// A text field that reports its text on every edit the user makes and again
// when the user presses Return in it.
class SmartTextField : public TextField {
  Q_OBJECT

public:
  explicit SmartTextField(QWidget* parent = nullptr);

  std::function<void(const QString&)> textChangedAction;
  // Kept for callers; the field itself never runs it.
  std::function<void()> buttonPressFunction;

private:
  void internalAction();
};

} // namespace kr

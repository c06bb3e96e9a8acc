#pragma once

#include "kit/IntegerValidatingNumberFormatter.h"
#include "kit/TextField.h"

#include <functional>
#include <optional>

namespace kr {

// A text field for whole numbers: the up and down arrows step the value within
// the formatter's bounds, Return raises a value below the minimum to it and
// runs the return-key function.
class IntegerTextField : public TextField {
  Q_OBJECT

public:
  explicit IntegerTextField(QWidget* parent = nullptr);

  // A right-aligned field showing `initialValue`, with the given bounds
  // (without a minimum the formatter's own 0 stays).
  static IntegerTextField* integerTextField(int initialValue, std::optional<int> minValue,
                                            std::optional<int> maxValue);

  bool callsReturnKeyFunctionOnResigningFirstResponder = false;
  bool callsReturnKeyFunctionOnTextHasChanged = false;
  IntegerValidatingNumberFormatter* numberFormatter() const { return numberFormatter_; }
  void setNumberFormatter(IntegerValidatingNumberFormatter* formatter);
  std::function<void()> returnKeyActionFunction;

  int intValue() const;
  void setIntValue(int value);

  // Each answers whether it handled the key.
  bool increment();
  bool decrement();

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  void controlTextDidChange();
  void runReturnFunctionAfterChange();

  IntegerValidatingNumberFormatter* numberFormatter_ = nullptr;
};

} // namespace kr

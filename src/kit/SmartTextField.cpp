#include "kit/SmartTextField.h"

namespace kr {

SmartTextField::SmartTextField(QWidget* parent) : TextField(parent) {
  // textEdited comes from the user only, not from setText.
  connect(this, &QLineEdit::textEdited, this, &SmartTextField::internalAction);
  connect(this, &QLineEdit::returnPressed, this, &SmartTextField::internalAction);
}

void SmartTextField::internalAction() {
  if (textChangedAction)
    textChangedAction(text());
}

} // namespace kr

#include "kit/IntegerTextField.h"

#include <QKeyEvent>

namespace kr {

IntegerTextField::IntegerTextField(QWidget* parent) : TextField(parent) {
  connect(this, &QLineEdit::textEdited, this, &IntegerTextField::controlTextDidChange);
}

IntegerTextField* IntegerTextField::integerTextField(int initialValue, std::optional<int> minValue,
                                                     std::optional<int> maxValue) {
  auto* field = new IntegerTextField();
  auto* formatter = new IntegerValidatingNumberFormatter(field);
  field->setNumberFormatter(formatter);
  field->setIntValue(initialValue);
  field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (maxValue)
    formatter->setMaximum(*maxValue);
  if (minValue)
    formatter->setMinimum(*minValue);
  return field;
}

void IntegerTextField::setNumberFormatter(IntegerValidatingNumberFormatter* formatter) {
  numberFormatter_ = formatter;
  setValidator(formatter);
}

int IntegerTextField::intValue() const { return text().toInt(); }

void IntegerTextField::setIntValue(int value) { setText(QString::number(value)); }

bool IntegerTextField::increment() {
  if (!numberFormatter_ || !numberFormatter_->maximum())
    return false;
  if (intValue() >= *numberFormatter_->maximum())
    return true;
  setIntValue(intValue() + 1);
  runReturnFunctionAfterChange();
  return true;
}

bool IntegerTextField::decrement() {
  if (!numberFormatter_ || !numberFormatter_->minimum())
    return false;
  if (intValue() <= *numberFormatter_->minimum())
    return true;
  setIntValue(intValue() - 1);
  runReturnFunctionAfterChange();
  return true;
}

void IntegerTextField::runReturnFunctionAfterChange() {
  if (callsReturnKeyFunctionOnTextHasChanged && returnKeyActionFunction)
    returnKeyActionFunction();
}

void IntegerTextField::controlTextDidChange() { runReturnFunctionAfterChange(); }

void IntegerTextField::keyPressEvent(QKeyEvent* event) {
  bool handled = false;
  switch (event->key()) {
  case Qt::Key_Up:
    handled = increment();
    break;
  case Qt::Key_Down:
    handled = decrement();
    break;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    if (returnKeyActionFunction) {
      if (numberFormatter_ && numberFormatter_->minimum() &&
          intValue() < *numberFormatter_->minimum())
        setIntValue(int(*numberFormatter_->minimum()));
      returnKeyActionFunction();
      handled = true;
    }
    break;
  default:
    break;
  }
  if (handled)
    event->accept();
  else
    TextField::keyPressEvent(event);
}

void IntegerTextField::focusOutEvent(QFocusEvent* event) {
  TextField::focusOutEvent(event);
  if (callsReturnKeyFunctionOnResigningFirstResponder && returnKeyActionFunction)
    returnKeyActionFunction();
}

} // namespace kr

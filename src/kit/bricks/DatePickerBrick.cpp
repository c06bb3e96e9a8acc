#include "kit/bricks/DatePickerBrick.h"

#include "kit/ControlSize.h"

namespace kr {

namespace {
QDateTime midnightOf(const QDate& day) { return QDateTime(day, QTime(0, 0)); }
} // namespace

DatePickerBrick::DatePickerBrick(QWidget* parent) : QDateEdit(parent) {
  setFrame(false);
  setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  setCalendarPopup(false);
  // A typed date counts once the field is left or Return is pressed.
  setKeyboardTracking(false);
  // The widest range the stored days can name.
  setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
  setControlSize(this, ControlSize::small);
  connect(this, &QDateEdit::dateChanged, this, [this](QDate day) {
    if (!changingFromOutside_)
      Q_EMIT dateValueEdited(midnightOf(day));
  });
}

template <typename Change> void DatePickerBrick::changeFromOutside(Change change) {
  const bool before = changingFromOutside_;
  changingFromOutside_ = true;
  change();
  changingFromOutside_ = before;
}

QDateTime DatePickerBrick::dateValue() const { return midnightOf(date()); }

void DatePickerBrick::setDateValue(const QDateTime& value) {
  if (!value.isValid())
    return;
  changeFromOutside([&] { setDate(value.date()); });
}

QDateTime DatePickerBrick::minDateValue() const { return midnightOf(minimumDate()); }

void DatePickerBrick::setMinDateValue(const QDateTime& value) {
  if (!value.isValid())
    return;
  changeFromOutside([&] { setMinimumDate(value.date()); });
}

QDateTime DatePickerBrick::maxDateValue() const { return midnightOf(maximumDate()); }

void DatePickerBrick::setMaxDateValue(const QDateTime& value) {
  if (!value.isValid())
    return;
  changeFromOutside([&] { setMaximumDate(value.date()); });
}

} // namespace kr

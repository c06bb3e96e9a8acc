#pragma once

#include <QDateEdit>
#include <QDateTime>

namespace kr {

// A small borderless date field with arrows, showing year, month and day.
//
// Its date, earliest and latest date are properties a setting can be bound
// to. Only the user's own edit announces a new date (`dateValueEdited`): a
// date moved because the earliest or latest date moved, or set from outside,
// is not announced, so it is never written back to a setting. An invalid date
// given from outside leaves the field as it was.
class DatePickerBrick : public QDateEdit {
  Q_OBJECT
  Q_PROPERTY(QDateTime dateValue READ dateValue WRITE setDateValue NOTIFY dateValueEdited)
  Q_PROPERTY(QDateTime minDateValue READ minDateValue WRITE setMinDateValue)
  Q_PROPERTY(QDateTime maxDateValue READ maxDateValue WRITE setMaxDateValue)

public:
  explicit DatePickerBrick(QWidget* parent = nullptr);

  // Local midnight of the shown day.
  QDateTime dateValue() const;
  void setDateValue(const QDateTime& value);
  QDateTime minDateValue() const;
  void setMinDateValue(const QDateTime& value);
  QDateTime maxDateValue() const;
  void setMaxDateValue(const QDateTime& value);

Q_SIGNALS:
  void dateValueEdited(const QDateTime& value);

private:
  template <typename Change> void changeFromOutside(Change change);

  bool changingFromOutside_ = false;
};

} // namespace kr

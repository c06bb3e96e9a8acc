#pragma once

#include <QLabel>
#include <QWidget>

namespace kr {

// One line of two labelled read-outs side by side ("Duration:" 25 "Minutes" |
// "Ends:" 14:30), each half taking half the width.
class TimeReadoutWall : public QWidget {
  Q_OBJECT

public:
  TimeReadoutWall(const QString& firstLabel, const QString& firstInitial, const QString& firstUnit,
                  const QString& secondLabel, const QString& secondInitial,
                  QWidget* parent = nullptr);

  QLabel* firstField() const { return firstField_; }
  QLabel* secondField() const { return secondField_; }

private:
  QLabel* firstField_ = nullptr;
  QLabel* secondField_ = nullptr;
};

} // namespace kr

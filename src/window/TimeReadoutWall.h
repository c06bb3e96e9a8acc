#pragma once

#include "platform/richtext/RichText.h"

#include <QDateTime>
#include <QLabel>
#include <QWidget>

namespace kr {

// One line of two labelled read-outs side by side ("Duration:" 25 "Minutes" |
// "Ends:" 14:30), each half taking half the width.
class TimeReadoutWall : public QWidget {
  Q_OBJECT

public:
  // How a half places its label and value.
  enum class Arrangement {
    // Labels 80 wide, right-aligned, each value directly after its label:
    // the rows of a running timer, stacked so that their values line up.
    alignedLabels,
    // Labels as wide as their text, values one inset after them.
    flowing,
  };

  TimeReadoutWall(const QString& firstLabel, const QString& firstInitial, const QString& firstUnit,
                  const QString& secondLabel, const QString& secondInitial,
                  QWidget* parent = nullptr, Arrangement arrangement = Arrangement::alignedLabels);

  QLabel* firstField() const { return firstField_; }
  QLabel* secondField() const { return secondField_; }
  // Show `text` in a field. A field with no unit after it keeps the room it
  // has while its texts fit: a reading no wider than the field changes the
  // size of nothing, and the page is not laid out again for it (once a
  // second, for a clock).
  void showFirst(const QString& text);
  void showSecond(const QString& text);
  void showSecond(const RichText& text);
  // Shows the time of day of `date` in the second field, as the clock reads
  // it, its day-half marker in the marker's own font.
  void showSecondAsTimeOfDay(const QDateTime& date);

  static constexpr int kInset = 8;
  static constexpr int kAlignedLabelWidth = 80;

private:
  bool firstHasUnit_ = false;
  QLabel* firstField_ = nullptr;
  QLabel* secondField_ = nullptr;
};

} // namespace kr

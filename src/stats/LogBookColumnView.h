#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QTextDocument;

namespace kr {

class FullTimeSlice;

// How one text of a log book row looks.
struct LogBookTextAttributes {
  QFont font;
  QColor color;
  bool alignRight = false;
  // A white copy one point lower goes down first.
  bool whiteShadow = false;
  // Plain text: the painter's own colour, no alignment.
  bool plain = false;
};

// A text of a log book row with its look.
struct LogBookAttributedString {
  QString text;
  LogBookTextAttributes attributes;
};

// One row of the log book: the start, the worked time and the focus level
// along the top, the objective below, the tags along the bottom, and the
// pull-down in the top right corner. Made from a slice; holds only the texts
// made from it. Drawn in its own rectangle, y up.
class LogBookColumnView {
public:
  // The objective's distance from the row's top and its left edge.
  static constexpr double kObjectiveTop = 25.0;
  static constexpr double kObjectiveLeft = 3.0;
  // The width the objective is laid out in is the row's width less this.
  static constexpr double kObjectiveWidthReduction = 20.0;

  LogBookColumnView() = default;
  // The texts of `slice`; `objective` is its laid-out objective (none: empty).
  static LogBookColumnView forSlice(const FullTimeSlice& slice,
                                    std::shared_ptr<QTextDocument> objective);

  std::optional<LogBookAttributedString> tagAttributedString;
  std::optional<LogBookAttributedString> durationAttributedString;
  std::optional<LogBookAttributedString> startDateAttributedString;
  std::optional<LogBookAttributedString> focusLevelAttributedString;
  std::shared_ptr<QTextDocument> objective;

  // The tags split at every ",", empty pieces dropped, joined with ", ".
  static QString formatTagsString(const QString& tagString);
  // The worked time in whole seconds, upper case; a time that is not finite
  // or does not fit whole seconds counts as 0.
  static QString durationText(double actualDuration);
  // The label and look of a focus rating.
  static LogBookAttributedString focusLevel(const QString& focusRating);
  // The start as "<date> at <time>"; empty for a start that is not valid.
  static QString startText(const QDateTime& start);

  // Where the pull-down sits in a row `width` wide (y down, from the row's top left).
  static QRectF pullDownRect(double width);

  // Draws the row into `rect` (the row's rectangle on the painter, y down).
  void draw(QPainter* painter, const QRectF& rect, bool pullDownPressed = false) const;
};

} // namespace kr

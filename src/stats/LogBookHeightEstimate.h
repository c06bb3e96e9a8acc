#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace kr {

class FullTimeSlice;

// Log book row heights estimated from the lengths of the objectives'
// paragraphs and the column's width, without laying any text out: as many
// characters of average width to a line as fit, less what word wrapping
// leaves at the ends. The lengths of a whole data set are taken once, so a
// new width estimates every row again from them alone.
class LogBookHeightEstimate {
public:
  // Takes the paragraph lengths and tags of these slices, rows in this order.
  void prepare(const std::vector<const FullTimeSlice*>& slices);
  void clear();
  bool isPrepared() const { return prepared_; }

  double rowHeight(int row, double columnWidth) const;
  static double rowHeight(const FullTimeSlice& slice, double columnWidth);

private:
  // Appends the lengths of the text's paragraphs, one final line break left out.
  static void addParagraphLengths(const QString& text, std::vector<quint32>& lengths);
  static double height(const quint32* lengths, std::size_t count, bool tagged, double columnWidth);

  // Per row, where its lengths begin in `lengths_`; one more for the end.
  std::vector<quint32> firstLength_;
  std::vector<quint32> lengths_;
  std::vector<bool> tagged_;
  bool prepared_ = false;
};

} // namespace kr

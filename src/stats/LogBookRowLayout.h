#pragma once

#include <QtGlobal>

#include <vector>

namespace kr {

// Where the rows of the log book lie, top to bottom: one height per row,
// estimated until the row is measured. Finding a row's top, the row at a
// height and changing one height each take a time that grows with the
// logarithm of the number of rows, so a list of any length scrolls and jumps
// at once.
class LogBookRowLayout {
public:
  // Starts over with rows of these estimated heights, none measured.
  void reset(std::vector<int> estimates);

  int count() const { return int(heights_.size()); }
  qint64 totalHeight() const { return top(count()); }
  // The top of a row (the total height for `count()`).
  qint64 top(int row) const;
  int height(int row) const { return heights_[std::size_t(row)]; }
  bool isMeasured(int row) const { return measured_[std::size_t(row)]; }
  int measuredCount() const { return measuredCount_; }

  // Gives a row its measured height.
  void setMeasured(int row, int height);
  // The row that covers height `y`: the first one above 0, the last one
  // below the end; -1 when there are no rows.
  int rowAt(qint64 y) const;

private:
  void add(int row, qint64 delta);

  std::vector<int> heights_;
  std::vector<bool> measured_;
  // Sums of heights over ranges of rows, each ending at its index (1-based).
  std::vector<qint64> sums_;
  int highestStep_ = 0;
  int measuredCount_ = 0;
};

} // namespace kr

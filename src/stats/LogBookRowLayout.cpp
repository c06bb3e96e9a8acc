#include "stats/LogBookRowLayout.h"

#include <algorithm>

namespace kr {

void LogBookRowLayout::reset(std::vector<int> estimates) {
  heights_ = std::move(estimates);
  for (int& height : heights_)
    height = std::max(height, 1);
  measured_.assign(heights_.size(), false);
  measuredCount_ = 0;
  const std::size_t n = heights_.size();
  sums_.assign(n + 1, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    sums_[i] += heights_[i - 1];
    const std::size_t parent = i + (i & (~i + 1));
    if (parent <= n)
      sums_[parent] += sums_[i];
  }
  highestStep_ = 1;
  while (std::size_t(highestStep_) * 2 <= n)
    highestStep_ *= 2;
}

qint64 LogBookRowLayout::top(int row) const {
  qint64 sum = 0;
  for (std::size_t i = std::size_t(std::clamp(row, 0, count())); i > 0; i &= i - 1)
    sum += sums_[i];
  return sum;
}

void LogBookRowLayout::add(int row, qint64 delta) {
  for (std::size_t i = std::size_t(row) + 1; i < sums_.size(); i += i & (~i + 1))
    sums_[i] += delta;
}

void LogBookRowLayout::setMeasured(int row, int height) {
  if (row < 0 || row >= count())
    return;
  height = std::max(height, 1);
  if (!measured_[std::size_t(row)]) {
    measured_[std::size_t(row)] = true;
    ++measuredCount_;
  }
  int& stored = heights_[std::size_t(row)];
  if (stored != height) {
    add(row, qint64(height) - stored);
    stored = height;
  }
}

int LogBookRowLayout::rowAt(qint64 y) const {
  if (heights_.empty())
    return -1;
  if (y <= 0)
    return 0;
  // The number of rows that end at or above y, found by halving steps.
  std::size_t rows = 0;
  qint64 rest = y;
  for (std::size_t step = std::size_t(highestStep_); step > 0; step /= 2) {
    if (rows + step < sums_.size() && sums_[rows + step] <= rest) {
      rows += step;
      rest -= sums_[rows];
    }
  }
  return std::min(int(rows), count() - 1);
}

} // namespace kr

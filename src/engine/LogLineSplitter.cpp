#include "engine/LogLineSplitter.h"

namespace kr {

std::vector<LogLineSplitter::Line> LogLineSplitter::split(QStringView text) {
  std::vector<Line> lines;
  lines.reserve(std::size_t(text.size() / 32) + 1); // log lines are short
  forEachLine(text, [&lines](QStringView line, qsizetype start) {
    lines.push_back({start, line.size()});
  });
  return lines;
}

} // namespace kr

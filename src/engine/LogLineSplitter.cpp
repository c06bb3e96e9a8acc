#include "engine/LogLineSplitter.h"

namespace kr {

bool LogLineSplitter::isLineTerminator(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

std::vector<LogLineSplitter::Line> LogLineSplitter::split(QStringView text) {
  std::vector<Line> lines;
  qsizetype start = 0;
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = text.at(i);
    if (!isLineTerminator(c))
      continue;
    lines.push_back({start, i - start});
    if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
      ++i;
    start = i + 1;
  }
  lines.push_back({start, size - start});
  return lines;
}

} // namespace kr

#include "engine/LogLineSplitter.h"

namespace kr {

namespace {
// Every terminator is either at most U+000D or one of three above it: most
// characters are told apart by one comparison.
inline bool isTerminator(char16_t u) {
  if (char16_t(u - 0x0E) < 0x85 - 0x0E)
    return false; // U+000E to U+0084: most text
  return u <= 0x0D ? u >= 0x0A : (u == 0x85 || u == 0x2028 || u == 0x2029);
}
} // namespace

bool LogLineSplitter::isLineTerminator(QChar c) { return isTerminator(c.unicode()); }

std::vector<LogLineSplitter::Line> LogLineSplitter::split(QStringView text) {
  std::vector<Line> lines;
  lines.reserve(std::size_t(text.size() / 32) + 1); // log lines are short
  const char16_t* const begin = text.utf16();
  const char16_t* const end = begin + text.size();
  const char16_t* start = begin;
  for (const char16_t* p = begin; p < end; ++p) {
    if (!isTerminator(*p))
      continue;
    lines.push_back({start - begin, p - start});
    if (*p == u'\r' && p + 1 < end && p[1] == u'\n')
      ++p;
    start = p + 1;
  }
  lines.push_back({start - begin, end - start});
  return lines;
}

} // namespace kr

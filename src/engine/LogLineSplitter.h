#pragma once

#include <QString>
#include <QStringView>

#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kr {

// Cuts a log text into lines at U+000A to U+000D, U+0085, U+2028 and U+2029,
// with CR LF as one terminator. A terminator at the very end leaves an empty
// last line, as an empty line between two terminators does.
class LogLineSplitter {
public:
  struct Line {
    qsizetype start;  // position of the first character in the text
    qsizetype length; // without the terminator
  };

  static std::vector<Line> split(QStringView text);
  // Calls `visit(QStringView line, qsizetype start)` for each line in order,
  // the lines split() gives, without keeping them.
  template <typename Visit> static void forEachLine(QStringView text, Visit&& visit);
  // The same for a text whose terminators are known: `ends` holds the
  // position of each, in order.
  template <typename Visit>
  static void forEachLine(QStringView text, std::span<const qsizetype> ends, Visit&& visit);
  static bool isLineTerminator(QChar c) { return isTerminator(c.unicode()); }

private:
  // Every terminator is either at most U+000D or one of three above it: most
  // characters are told apart by one comparison.
  static bool isTerminator(char16_t u) {
    if (char16_t(u - 0x0E) < 0x85 - 0x0E)
      return false; // U+000E to U+0084: most text
    return u <= 0x0D ? u >= 0x0A : (u == 0x85 || u == 0x2028 || u == 0x2029);
  }
  // The first terminator at or after `p`, or `end`.
  static const char16_t* nextTerminator(const char16_t* p, const char16_t* end);
};

inline const char16_t* LogLineSplitter::nextTerminator(const char16_t* p, const char16_t* end) {
#if defined(__SSE2__)
  // Eight characters at a time: U+000A to U+000D are those whose distance
  // from U+000A is below 4 (compared as signed numbers shifted by 0x8000).
  const __m128i base = _mm_set1_epi16(0x0A);
  const __m128i flip = _mm_set1_epi16(short(0x8000));
  const __m128i four = _mm_set1_epi16(short(0x8000 + 4));
  const __m128i nel = _mm_set1_epi16(0x85);
  const __m128i lineSeparator = _mm_set1_epi16(0x2028);
  const __m128i paragraphSeparator = _mm_set1_epi16(0x2029);
  for (; end - p >= 8; p += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i control = _mm_cmplt_epi16(_mm_xor_si128(_mm_sub_epi16(v, base), flip), four);
    const __m128i other =
        _mm_or_si128(_mm_cmpeq_epi16(v, nel), _mm_or_si128(_mm_cmpeq_epi16(v, lineSeparator),
                                                           _mm_cmpeq_epi16(v, paragraphSeparator)));
    const int mask = _mm_movemask_epi8(_mm_or_si128(control, other));
    if (mask != 0)
      return p + __builtin_ctz(unsigned(mask)) / 2;
  }
#endif
  while (p < end && !isTerminator(*p))
    ++p;
  return p;
}

template <typename Visit> void LogLineSplitter::forEachLine(QStringView text, Visit&& visit) {
  const char16_t* const begin = text.utf16();
  const char16_t* const end = begin + text.size();
  const char16_t* start = begin;
  for (const char16_t* p = nextTerminator(begin, end); p < end; p = nextTerminator(p, end)) {
    visit(QStringView(start, p - start), qsizetype(start - begin));
    if (*p == u'\r' && p + 1 < end && p[1] == u'\n')
      ++p;
    start = ++p;
  }
  visit(QStringView(start, end - start), qsizetype(start - begin));
}

template <typename Visit>
void LogLineSplitter::forEachLine(QStringView text, std::span<const qsizetype> ends,
                                  Visit&& visit) {
  const char16_t* const begin = text.utf16();
  qsizetype start = 0;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    const qsizetype at = ends[i];
    visit(QStringView(begin + start, at - start), start);
    // CR LF ends one line.
    if (begin[at] == u'\r' && i + 1 < ends.size() && ends[i + 1] == at + 1 &&
        begin[at + 1] == u'\n')
      ++i;
    start = ends[i] + 1;
  }
  visit(QStringView(begin + start, text.size() - start), start);
}

} // namespace kr

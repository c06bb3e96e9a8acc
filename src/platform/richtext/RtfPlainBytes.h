#pragma once

// Scanning RTF body text: the stretches of printable ASCII that are not one
// of RTF's own characters, and their widening to UTF-16. Internal to the
// readers.
#include <QtGlobal>

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kr::rtf_plain {

// Printable ASCII that is not one of RTF's own characters, by byte: kPlain
// in text, kPlainInTable also in the font and colour tables, where a
// semicolon ends an entry.
inline constexpr quint8 kPlain = 1;
inline constexpr quint8 kPlainInTable = 2;
inline constexpr std::array<quint8, 256> kPlainBytes = [] {
  std::array<quint8, 256> table{};
  for (int c = 0x20; c < 0x7F; ++c) {
    if (c != '\\' && c != '{' && c != '}')
      table[size_t(c)] = c == ';' ? kPlain : kPlain | kPlainInTable;
  }
  return table;
}();

#if defined(__SSE2__)
// One bit for each of the sixteen bytes of `v` that is not body text (kPlain).
// Printable ASCII is above 0x1F and below 0x7F when compared as signed bytes
// (bytes from 0x80 are negative).
inline int notBodyText(__m128i v) {
  const __m128i printable =
      _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x1F)), _mm_cmplt_epi8(v, _mm_set1_epi8(0x7F)));
  const __m128i special = _mm_or_si128(
      _mm_cmpeq_epi8(v, _mm_set1_epi8('\\')),
      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('{')), _mm_cmpeq_epi8(v, _mm_set1_epi8('}'))));
  return _mm_movemask_epi8(_mm_andnot_si128(special, printable)) ^ 0xFFFF;
}
#endif

// The end of the stretch of body-text bytes (kPlain) from `p`.
inline const char* textEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  // Sixteen bytes at a time.
  for (; end - p >= 16; p += 16) {
    const int other = notBodyText(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    if (other != 0)
      return p + __builtin_ctz(unsigned(other));
  }
#endif
  while (p < end && (kPlainBytes[quint8(*p)] & kPlain))
    ++p;
  return p;
}

// Writes the ASCII bytes from `in` to `end` as UTF-16. Sixteen at a time
// where the input has them, so up to 15 characters more may be written
// after the last (the output keeps that much room).
inline void widen(const char* in, const char* end, const char* inputEnd, char16_t* out) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; in < end && inputEnd - in >= 16; in += 16, out += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
  }
#else
  Q_UNUSED(inputEnd);
#endif
  while (in < end)
    *out++ = char16_t(quint8(*in++));
}

// textEnd() and widen() in one pass: writes the stretch of body-text bytes
// from `p` at `out` as UTF-16, moves `out` past it and returns its end.
// Sixteen at a time where the input has them, so up to 15 characters more
// may be written after the stretch (the output keeps that much room).
inline const char* widenText(const char* p, const char* end, char16_t*& out) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; end - p >= 16; p += 16, out += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
    const int other = notBodyText(v);
    if (other != 0) {
      const int length = __builtin_ctz(unsigned(other));
      out += length;
      return p + length;
    }
  }
#endif
  while (p < end && (kPlainBytes[quint8(*p)] & kPlain))
    *out++ = char16_t(quint8(*p++));
  return p;
}

} // namespace kr::rtf_plain

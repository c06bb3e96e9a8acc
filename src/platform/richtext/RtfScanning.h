#pragma once

// Finding one's way through RTF bytes without reading them: control words
// and the ends of groups. Internal to the readers and the appenders.
#include <QByteArrayView>

#include <optional>
#include <string_view>

namespace kr::rtf_scan {

inline bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A control word at `p` (a backslash first) within `n` bytes: its letters,
// its number and the bytes it takes; none when it does not end within them.
struct ControlWord {
  std::string_view word;
  long long value = 0;
  bool hasValue = false;
  qsizetype length = 0;
};
inline std::optional<ControlWord> controlWordAt(const char* p, qsizetype n) {
  if (n < 2)
    return std::nullopt;
  ControlWord result;
  if (!isLetter(p[1])) {
    result.length = 2;
    result.word = std::string_view(p + 1, 1);
    return result;
  }
  qsizetype i = 1;
  while (i < n && isLetter(p[i]) && i <= 33)
    ++i;
  result.word = std::string_view(p + 1, size_t(i - 1));
  const bool negative = i < n && p[i] == '-';
  if (negative)
    ++i;
  const qsizetype digits = i;
  while (i < n && isDigit(p[i]) && i - digits < 12)
    result.value = result.value * 10 + (p[i++] - '0');
  result.hasValue = i > digits;
  if (negative)
    result.value = -result.value;
  if (i >= n)
    return std::nullopt;
  if (p[i] == ' ')
    ++i;
  result.length = i;
  return result;
}

// The end (one past its closing brace) of the group that opens at `start`,
// when it closes within `data`; -1 otherwise, and for a group that holds
// binary data, which is never looked into.
inline qsizetype groupEnd(QByteArrayView data, qsizetype start) {
  int depth = 0;
  for (qsizetype i = start; i < data.size();) {
    const char c = data[i];
    if (c == '{') {
      ++depth;
      ++i;
    } else if (c == '}') {
      ++i;
      if (--depth == 0)
        return i;
    } else if (c == '\\') {
      const auto word = controlWordAt(data.constData() + i, data.size() - i);
      if (!word || word->word == "bin")
        return -1;
      i += word->length;
    } else {
      ++i;
    }
  }
  return -1;
}

} // namespace kr::rtf_scan

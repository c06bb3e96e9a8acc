#pragma once

#include <QString>
#include <QStringView>

#include <vector>

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
  static bool isLineTerminator(QChar c);
};

} // namespace kr

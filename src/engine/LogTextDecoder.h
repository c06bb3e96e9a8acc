#pragma once

#include <QByteArray>
#include <QString>

namespace kr {

// Turns the bytes of an old plain-text log into text: a byte-order mark
// decides first, then strict UTF-8, and Mac Roman (which every byte sequence
// is) for the rest.
class LogTextDecoder {
public:
  static QString decode(const QByteArray& bytes);
  static QString fromMacRoman(const QByteArray& bytes);
};

} // namespace kr

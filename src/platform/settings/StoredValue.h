#pragma once

#include <QString>
#include <QVariant>

namespace kr {

// A value of the settings read as the kind the program asks for, with the
// usual coercions: a number reads as an integer truncated toward zero,
// "true"/"yes"/non-zero numbers read as true, nothing reads 0, false or "".
class StoredValue {
public:
  static bool toBool(const QVariant& value);
  static qint64 toInteger(const QVariant& value);
  static double toDouble(const QVariant& value);
  static QString toString(const QVariant& value);

  static bool isNumeric(const QVariant& value);
  // The INI file keeps scalars as text: `raw` read back with the type of its
  // registered value (or a guessed scalar type when none is registered).
  static QVariant withType(const QVariant& raw, const QVariant& registered);
  // Whether two values read alike (1, 1.0 and true do).
  static bool same(const QVariant& a, const QVariant& b);
};

} // namespace kr

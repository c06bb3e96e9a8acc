#include "kit/IntegerValidatingNumberFormatter.h"

namespace kr {

IntegerValidatingNumberFormatter::IntegerValidatingNumberFormatter(QObject* parent)
    : QValidator(parent) {}

bool IntegerValidatingNumberFormatter::isPartialStringValid(const QString& text) const {
  if (text.isEmpty())
    return true;
  const qsizetype start = text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-'));
  if (start == text.size())
    return false; // a lone sign
  for (qsizetype i = start; i < text.size(); ++i) {
    if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
      return false;
  }
  bool ok = false;
  const qint64 value = text.toLongLong(&ok, 10);
  if (!ok)
    return false; // beyond a 64-bit number
  return !(maximum_ && value > *maximum_);
}

QValidator::State IntegerValidatingNumberFormatter::validate(QString& input, int&) const {
  return isPartialStringValid(input) ? Acceptable : Invalid;
}

} // namespace kr

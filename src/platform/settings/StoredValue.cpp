#include "platform/settings/StoredValue.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace kr {

namespace {

qint64 truncateToInteger(double d) {
  if (!std::isfinite(d))
    return 0;
  if (d >= static_cast<double>(std::numeric_limits<qint64>::max()))
    return std::numeric_limits<qint64>::max();
  if (d <= static_cast<double>(std::numeric_limits<qint64>::min()))
    return std::numeric_limits<qint64>::min();
  return static_cast<qint64>(d); // truncates toward zero
}

} // namespace

bool StoredValue::isNumeric(const QVariant& v) {
  switch (v.metaType().id()) {
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
  case QMetaType::Long:
  case QMetaType::ULong:
  case QMetaType::Short:
  case QMetaType::UShort:
  case QMetaType::Double:
  case QMetaType::Float:
    return true;
  default:
    return false;
  }
}

QVariant StoredValue::withType(const QVariant& raw, const QVariant& registered) {
  if (raw.metaType().id() != QMetaType::QString)
    return raw;
  const QString text = raw.toString();
  switch (registered.metaType().id()) {
  case QMetaType::Bool:
    return toBool(text);
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::UInt:
  case QMetaType::ULongLong: {
    bool ok = false;
    const qint64 i = text.toLongLong(&ok);
    return ok ? QVariant(i) : QVariant(toInteger(text));
  }
  case QMetaType::Double:
  case QMetaType::Float:
    return toDouble(text);
  case QMetaType::QString:
    return text;
  default:
    break;
  }
  if (text == QStringLiteral("true") || text == QStringLiteral("false"))
    return text == QStringLiteral("true");
  static const QRegularExpression integerPattern(QStringLiteral("^-?[0-9]{1,18}$"));
  if (integerPattern.match(text).hasMatch())
    return text.toLongLong();
  static const QRegularExpression doublePattern(
      QStringLiteral("^-?([0-9]+\\.[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?$"));
  if (doublePattern.match(text).hasMatch())
    return text.toDouble();
  return text;
}

bool StoredValue::toBool(const QVariant& value) {
  if (!value.isValid())
    return false;
  if (value.metaType().id() == QMetaType::Bool)
    return value.toBool();
  if (isNumeric(value))
    return value.toDouble() != 0.0;
  if (value.metaType().id() == QMetaType::QString) {
    const QString text = value.toString().trimmed();
    if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 ||
        text.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0)
      return true;
    return text.toDouble() != 0.0;
  }
  return false;
}

qint64 StoredValue::toInteger(const QVariant& value) {
  if (!value.isValid())
    return 0;
  switch (value.metaType().id()) {
  case QMetaType::Bool:
    return value.toBool() ? 1 : 0;
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::Long:
  case QMetaType::Short:
    return value.toLongLong();
  case QMetaType::UInt:
  case QMetaType::ULongLong:
  case QMetaType::ULong:
  case QMetaType::UShort:
    return static_cast<qint64>(value.toULongLong());
  case QMetaType::Double:
  case QMetaType::Float:
    return truncateToInteger(value.toDouble());
  case QMetaType::QString: {
    bool ok = false;
    const QString text = value.toString().trimmed();
    const qint64 i = text.toLongLong(&ok);
    return ok ? i : truncateToInteger(text.toDouble());
  }
  default:
    return 0;
  }
}

double StoredValue::toDouble(const QVariant& value) {
  if (!value.isValid())
    return 0.0;
  if (value.metaType().id() == QMetaType::Bool)
    return value.toBool() ? 1.0 : 0.0;
  if (isNumeric(value))
    return value.toDouble();
  if (value.metaType().id() == QMetaType::QString)
    return value.toString().trimmed().toDouble();
  return 0.0;
}

QString StoredValue::toString(const QVariant& value) {
  if (!value.isValid())
    return {};
  if (value.metaType().id() == QMetaType::QString)
    return value.toString();
  if (value.metaType().id() == QMetaType::Bool)
    return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
  if (isNumeric(value))
    return value.toString();
  return {};
}

bool StoredValue::same(const QVariant& a, const QVariant& b) {
  if (a.isValid() != b.isValid())
    return false;
  if (!a.isValid())
    return true;
  const bool aScalar = isNumeric(a) || a.metaType().id() == QMetaType::Bool;
  const bool bScalar = isNumeric(b) || b.metaType().id() == QMetaType::Bool;
  if (aScalar && bScalar)
    return toDouble(a) == toDouble(b);
  if (aScalar != bScalar)
    return toString(a) == toString(b) && a.metaType() == b.metaType();
  return a == b;
}

} // namespace kr

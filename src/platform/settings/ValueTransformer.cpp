#include "platform/settings/ValueTransformer.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace kr {

namespace {

QHash<QString, ValueTransformer>& registry() {
  static QHash<QString, ValueTransformer> transformers;
  return transformers;
}

// An integer number: any integral type; doubles and texts are not.
bool integerNumber(const QVariant& v, qint64* out) {
  switch (v.metaType().id()) {
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::Long:
  case QMetaType::Short:
  case QMetaType::UInt:
  case QMetaType::ULongLong:
  case QMetaType::ULong:
  case QMetaType::UShort:
    *out = v.toLongLong();
    return true;
  default:
    return false;
  }
}

// Sliders hand over doubles; a whole or fractional double truncates toward zero.
bool numberForReverse(const QVariant& v, qint64* out) {
  if (integerNumber(v, out))
    return true;
  if (v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float) {
    const double d = v.toDouble();
    if (d > -9.2e18 && d < 9.2e18) {
      *out = static_cast<qint64>(d);
      return true;
    }
  }
  return false;
}

QVariant minutesToSeconds(const QVariant& v) {
  qint64 minutes = 0;
  if (!numberForReverse(v, &minutes))
    return qint64{0};
  if (minutes > std::numeric_limits<qint64>::max() / 60 ||
      minutes < std::numeric_limits<qint64>::min() / 60)
    return qint64{0};
  return minutes * 60;
}

} // namespace

void ValueTransformer::setValueTransformer(const ValueTransformer& transformer,
                                           const QString& name) {
  registry().insert(name, transformer);
}

ValueTransformer ValueTransformer::named(const QString& name) { return registry().value(name); }

bool ValueTransformer::isRegistered(const QString& name) { return registry().contains(name); }

namespace transformers {

QDate dateFromIsoDayString(const QString& text) {
  static const QRegularExpression pattern(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
  if (!pattern.match(text).hasMatch())
    return {};
  return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

QString isoDayString(const QDate& date) {
  return date.isValid() ? QString::asprintf("%04d-%02d-%02d", date.year(), date.month(), date.day())
                        : QString();
}

ValueTransformer stringToTokenArray() {
  return {[](const QVariant& v) -> QVariant {
            const QString text = v.toString();
            if (!v.isValid() || text.isEmpty())
              return {};
            return text.split(u',', Qt::KeepEmptyParts);
          },
          [](const QVariant& v) -> QVariant {
            const QStringList items = v.toStringList();
            return items.join(u',');
          }};
}

ValueTransformer intToIndexSet() {
  return {[](const QVariant& v) -> QVariant {
            if (!v.isValid())
              return {};
            return QVariant::fromValue(QList<int>{static_cast<int>(v.toLongLong())});
          },
          [](const QVariant& v) -> QVariant {
            if (!v.isValid())
              return {};
            QList<int> indexes = v.value<QList<int>>();
            if (indexes.isEmpty())
              return {};
            return static_cast<quint64>(
                static_cast<quint32>(*std::min_element(indexes.cbegin(), indexes.cend())));
          }};
}

ValueTransformer attributedString() {
  return {[](const QVariant& v) -> QVariant {
            return v.isValid() ? QVariant(v.toString()) : QVariant();
          },
          [](const QVariant& v) -> QVariant {
            return v.isValid() ? QVariant(v.toString()) : QVariant();
          }};
}

ValueTransformer pathToAppName() {
  return {[](const QVariant& v) -> QVariant {
            if (!v.isValid())
              return {};
            return QFileInfo(v.toString()).completeBaseName();
          },
          {}};
}

ValueTransformer stringToDate() {
  return {[](const QVariant& v) -> QVariant {
            if (!v.isValid())
              return {};
            const QDate date = dateFromIsoDayString(v.toString());
            if (!date.isValid())
              return {};
            return date.startOfDay();
          },
          [](const QVariant& v) -> QVariant {
            if (!v.isValid())
              return {};
            const QDate date =
                v.metaType().id() == QMetaType::QDate ? v.toDate() : v.toDateTime().date();
            if (!date.isValid())
              return {};
            return isoDayString(date);
          }};
}

ValueTransformer secondsToMinutesInteger() {
  return {[](const QVariant& v) -> QVariant {
            qint64 seconds = 0;
            if (!integerNumber(v, &seconds))
              return qint64{0};
            return seconds / 60;
          },
          minutesToSeconds};
}

ValueTransformer secondsToMinutesStringToInteger() {
  return {[](const QVariant& v) -> QVariant {
            qint64 seconds = 0;
            if (!integerNumber(v, &seconds))
              return QString();
            return QString::number(seconds / 60);
          },
          minutesToSeconds};
}

void registerNamedTransformers() {
  ValueTransformer::setValueTransformer(stringToTokenArray(),
                                        QStringLiteral("StringToTokenArrayTransformer"));
  ValueTransformer::setValueTransformer(intToIndexSet(),
                                        QStringLiteral("IntToIndexSetTransformer"));
  ValueTransformer::setValueTransformer(attributedString(),
                                        QStringLiteral("AttributedStringTransformer"));
  ValueTransformer::setValueTransformer(pathToAppName(),
                                        QStringLiteral("PathToAppNameTransformer"));
  ValueTransformer::setValueTransformer(stringToDate(), QStringLiteral("StringToDateTransformer"));
}

} // namespace transformers

} // namespace kr

#pragma once

#include <QString>
#include <QVariant>

#include <functional>

namespace kr {

// Converts between a stored value and the value a control shows.
// An invalid QVariant stands for "nothing".
struct ValueTransformer {
  std::function<QVariant(const QVariant&)> forward; // stored -> shown
  std::function<QVariant(const QVariant&)> reverse; // shown -> stored; empty when not allowed

  bool allowsReverseTransformation() const { return static_cast<bool>(reverse); }
  QVariant transformedValue(const QVariant& v) const { return forward ? forward(v) : v; }
  QVariant reverseTransformedValue(const QVariant& v) const { return reverse ? reverse(v) : v; }

  // Registry by name, filled at start-up; unknown names give an identity transformer.
  static void setValueTransformer(const ValueTransformer& transformer, const QString& name);
  static ValueTransformer named(const QString& name);
  static bool isRegistered(const QString& name);
};

// The transformers of the application.
namespace transformers {

// "a,b" <-> QStringList{"a","b"}; no trimming, empty pieces kept.
ValueTransformer stringToTokenArray();
// int <-> QList<int> holding it; reverse gives the lowest index.
ValueTransformer intToIndexSet();
// text <-> text without attributes (the rich-text model carries the attributes).
ValueTransformer attributedString();
// "/usr/share/applications/firefox.desktop" -> "firefox"; forward only.
ValueTransformer pathToAppName();
// "yyyy-MM-dd" <-> local midnight of that day (QDateTime).
ValueTransformer stringToDate();
// integer seconds <-> whole minutes (truncated toward zero); anything else gives 0.
ValueTransformer secondsToMinutesInteger();
// integer seconds -> text of whole minutes ("" for anything else); reverse as above.
ValueTransformer secondsToMinutesStringToInteger();

// Registers the five named transformers in the order the shell uses.
void registerNamedTransformers();

// Strict "yyyy-MM-dd" parsing and formatting in the Gregorian calendar.
QDate dateFromIsoDayString(const QString& text);
QString isoDayString(const QDate& date);

} // namespace transformers

} // namespace kr

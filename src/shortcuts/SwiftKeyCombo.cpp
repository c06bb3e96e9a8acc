#include "shortcuts/SwiftKeyCombo.h"

#include "shortcuts/KeyCodeTransformer.h"
#include "shortcuts/KeyTransformer.h"

namespace kr {

namespace {
int withFunctionBit(int keyCode, int modifiers) {
  return KeyTransformer::containsFunctionKey(keyCode)
             ? (modifiers | KeyTransformer::kFunctionKeyBit)
             : modifiers;
}
} // namespace

std::optional<SwiftKeyCombo> SwiftKeyCombo::withCarbonModifiers(int keyCode, int carbonModifiers) {
  if (keyCode < 0 || carbonModifiers < 0)
    return std::nullopt;
  return SwiftKeyCombo(keyCode, withFunctionBit(keyCode, carbonModifiers), false);
}

std::optional<SwiftKeyCombo> SwiftKeyCombo::withCocoaModifiers(int keyCode, int cocoaModifiers) {
  const int carbon = KeyTransformer::carbonFlags(cocoaModifiers);
  if (keyCode < 0 || carbon == 0)
    return std::nullopt;
  return SwiftKeyCombo(keyCode, withFunctionBit(keyCode, carbon), false);
}

std::optional<SwiftKeyCombo> SwiftKeyCombo::doubledCarbonModifiers(int carbonModifiers) {
  if (carbonModifiers < 0 || !KeyTransformer::singleCarbonFlags(carbonModifiers))
    return std::nullopt;
  return SwiftKeyCombo(0, carbonModifiers, true);
}

std::optional<SwiftKeyCombo> SwiftKeyCombo::doubledCocoaModifiers(int cocoaModifiers) {
  if (!KeyTransformer::singleCocoaFlags(cocoaModifiers))
    return std::nullopt;
  return SwiftKeyCombo(0, KeyTransformer::carbonFlags(cocoaModifiers), true);
}

std::optional<SwiftKeyCombo> SwiftKeyCombo::copy() const {
  return doubled_ ? doubledCarbonModifiers(modifiers_) : withCarbonModifiers(keyCode_, modifiers_);
}

QString SwiftKeyCombo::characters() const {
  if (doubled_)
    return {};
  return KeyCodeTransformer::shared().transformValue(keyCode_, modifiers_);
}

QString SwiftKeyCombo::displayText() const {
  const QStringList names = KeyTransformer::modifiersToString(modifiers_);
  if (doubled_)
    return names.isEmpty() ? QString() : names.first() + QLatin1Char(' ') + names.first();
  const QString key = characters();
  if (key.isEmpty())
    return {};
  QStringList parts = names;
  parts.append(key);
  return parts.join(QLatin1Char('+'));
}

QVariantMap SwiftKeyCombo::encoded() const {
  return {{QStringLiteral("keyCode"), keyCode_},
          {QStringLiteral("modifiers"), modifiers_},
          {QStringLiteral("doubledModifiers"), doubled_}};
}

std::optional<SwiftKeyCombo> SwiftKeyCombo::decoded(const QVariantMap& map) {
  bool keyOk = false;
  bool modifiersOk = false;
  const int keyCode = map.value(QStringLiteral("keyCode")).toInt(&keyOk);
  const int modifiers = map.value(QStringLiteral("modifiers")).toInt(&modifiersOk);
  if (!keyOk || !modifiersOk)
    return std::nullopt;
  return SwiftKeyCombo(keyCode, modifiers, map.value(QStringLiteral("doubledModifiers")).toBool());
}

} // namespace kr

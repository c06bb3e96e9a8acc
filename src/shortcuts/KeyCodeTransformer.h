#pragma once

#include <QString>

namespace kr {

// The text of a stored key code: a fixed text for the keys without a
// character (function keys, arrows, escape, ...), the digit or sign of a
// numeric-pad key, otherwise the character the current keyboard layout gives
// the key without modifiers, upper-cased. Without a desktop layout a US layout
// is assumed. "" for unknown keys and values out of range.
class KeyCodeTransformer {
public:
  static const KeyCodeTransformer& shared();

  QString transformValue(qint64 keyCode, qint64 carbonModifiers) const;
  QString transformValueCocoa(qint64 keyCode, qint64 cocoaModifiers) const;

  // The fixed text of a key, "" when it has none.
  static QString specialKeyCodeString(int keyCode);
};

} // namespace kr

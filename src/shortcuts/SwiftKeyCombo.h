#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace kr {

// A recorded shortcut: a key (its stored virtual key code) pressed with
// modifiers (Carbon values, plus the function-key bit for F1 to F20), or one
// modifier tapped twice ("doubled", key code 0, exactly one modifier). Made only
// through the checking initialisers; each answers none when its check fails.
class SwiftKeyCombo {
public:
  SwiftKeyCombo() = delete;

  static std::optional<SwiftKeyCombo> withCarbonModifiers(int keyCode, int carbonModifiers);
  static std::optional<SwiftKeyCombo> withCocoaModifiers(int keyCode, int cocoaModifiers);
  static std::optional<SwiftKeyCombo> doubledCarbonModifiers(int carbonModifiers);
  static std::optional<SwiftKeyCombo> doubledCocoaModifiers(int cocoaModifiers);

  int keyCode() const { return keyCode_; }
  int modifiers() const { return modifiers_; }
  bool doubledModifiers() const { return doubled_; }

  // A new combo through the checking initialisers (none for a combo decoded
  // from values that break the rules).
  std::optional<SwiftKeyCombo> copy() const;

  // The display text of the key ("" for a doubled combo).
  QString characters() const;
  // The whole combination as menus show it: "Ctrl+Alt+S"; a doubled combo as
  // its modifier twice ("Ctrl Ctrl").
  QString displayText() const;

  // The keyed form: "keyCode", "modifiers", "doubledModifiers". Decoding
  // takes the values as they are.
  QVariantMap encoded() const;
  static std::optional<SwiftKeyCombo> decoded(const QVariantMap& map);

  friend bool operator==(const SwiftKeyCombo& a, const SwiftKeyCombo& b) {
    return a.keyCode_ == b.keyCode_ && a.modifiers_ == b.modifiers_ && a.doubled_ == b.doubled_;
  }

private:
  SwiftKeyCombo(int keyCode, int modifiers, bool doubled)
      : keyCode_(keyCode), modifiers_(modifiers), doubled_(doubled) {}

  int keyCode_;
  int modifiers_;
  bool doubled_;
};

} // namespace kr

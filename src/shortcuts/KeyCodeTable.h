#pragma once

#include <QString>
#include <Qt>

#include <optional>

namespace kr {

// One table for the stored virtual key codes, the X key codes of the same key
// position (evdev code + 8, as the X server numbers them) and Qt's keys, and
// the one mapping of the stored modifiers onto the desktop's: command → Ctrl
// (X Control), option → Alt (X Mod1), control → Super (X Mod4), shift → Shift.
class KeyCodeTable {
public:
  // X modifier mask bits.
  static constexpr quint16 kXShift = 0x1;
  static constexpr quint16 kXLock = 0x2;
  static constexpr quint16 kXControl = 0x4;
  static constexpr quint16 kXMod1 = 0x8;
  static constexpr quint16 kXMod4 = 0x40;
  static constexpr quint16 kXModifierMask = kXShift | kXControl | kXMod1 | kXMod4;

  static std::optional<quint32> xKeycode(int keyCode);
  static std::optional<int> keyCodeFromXKeycode(quint32 xKeycode);
  // Qt's key of a US layout; keypad keys come with the keypad flag.
  static std::optional<int> qtKey(int keyCode);
  static bool isKeypadKey(int keyCode);
  static std::optional<int> keyCodeFromQtKey(int qtKey, bool keypad);
  // The key's text on a US layout without modifiers, upper-cased; "" when the
  // key has none.
  static QString usText(int keyCode);
  // The text of the numeric pad's keys ("1", ".", "*", ...), "" otherwise.
  static QString keypadText(int keyCode);

  static quint16 xModifiers(int carbonModifiers);
  static int carbonFromXModifiers(quint16 xModifiers);
  static Qt::KeyboardModifiers qtModifiers(int carbonModifiers);
  static int carbonFromQtModifiers(Qt::KeyboardModifiers modifiers);
  // The modifier a Qt key stands for (Key_Control → command, ...), 0 for others.
  static int carbonModifierOfQtKey(int qtKey);
};

} // namespace kr

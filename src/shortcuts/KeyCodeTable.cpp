#include "shortcuts/KeyCodeTable.h"

#include "shortcuts/KeyTransformer.h"

namespace kr {

namespace {

struct Entry {
  int keyCode;    // stored virtual key code
  int evdev;      // Linux input event code of the same position
  int qtKey;      // Qt key on a US layout
  const char* us; // US text without modifiers, upper-cased; keypad text for keypad keys
  bool keypad;
};

// Letters, digits and punctuation by position (ANSI layout), then the named
// keys, the numeric pad and the function keys.
constexpr Entry kTable[] = {
    {0, 30, Qt::Key_A, "A", false},
    {1, 31, Qt::Key_S, "S", false},
    {2, 32, Qt::Key_D, "D", false},
    {3, 33, Qt::Key_F, "F", false},
    {4, 35, Qt::Key_H, "H", false},
    {5, 34, Qt::Key_G, "G", false},
    {6, 44, Qt::Key_Z, "Z", false},
    {7, 45, Qt::Key_X, "X", false},
    {8, 46, Qt::Key_C, "C", false},
    {9, 47, Qt::Key_V, "V", false},
    {10, 86, Qt::Key_Less, "<", false},
    {11, 48, Qt::Key_B, "B", false},
    {12, 16, Qt::Key_Q, "Q", false},
    {13, 17, Qt::Key_W, "W", false},
    {14, 18, Qt::Key_E, "E", false},
    {15, 19, Qt::Key_R, "R", false},
    {16, 21, Qt::Key_Y, "Y", false},
    {17, 20, Qt::Key_T, "T", false},
    {18, 2, Qt::Key_1, "1", false},
    {19, 3, Qt::Key_2, "2", false},
    {20, 4, Qt::Key_3, "3", false},
    {21, 5, Qt::Key_4, "4", false},
    {22, 7, Qt::Key_6, "6", false},
    {23, 6, Qt::Key_5, "5", false},
    {24, 13, Qt::Key_Equal, "=", false},
    {25, 10, Qt::Key_9, "9", false},
    {26, 8, Qt::Key_7, "7", false},
    {27, 12, Qt::Key_Minus, "-", false},
    {28, 9, Qt::Key_8, "8", false},
    {29, 11, Qt::Key_0, "0", false},
    {30, 27, Qt::Key_BracketRight, "]", false},
    {31, 24, Qt::Key_O, "O", false},
    {32, 22, Qt::Key_U, "U", false},
    {33, 26, Qt::Key_BracketLeft, "[", false},
    {34, 23, Qt::Key_I, "I", false},
    {35, 25, Qt::Key_P, "P", false},
    {36, 28, Qt::Key_Return, "", false},
    {37, 38, Qt::Key_L, "L", false},
    {38, 36, Qt::Key_J, "J", false},
    {39, 40, Qt::Key_Apostrophe, "'", false},
    {40, 37, Qt::Key_K, "K", false},
    {41, 39, Qt::Key_Semicolon, ";", false},
    {42, 43, Qt::Key_Backslash, "\\", false},
    {43, 51, Qt::Key_Comma, ",", false},
    {44, 53, Qt::Key_Slash, "/", false},
    {45, 49, Qt::Key_N, "N", false},
    {46, 50, Qt::Key_M, "M", false},
    {47, 52, Qt::Key_Period, ".", false},
    {48, 15, Qt::Key_Tab, "", false},
    {49, 57, Qt::Key_Space, " ", false},
    {50, 41, Qt::Key_QuoteLeft, "`", false},
    {51, 14, Qt::Key_Backspace, "", false},
    {53, 1, Qt::Key_Escape, "", false},
    // Numeric pad.
    {65, 83, Qt::Key_Period, ".", true},
    {67, 55, Qt::Key_Asterisk, "*", true},
    {69, 78, Qt::Key_Plus, "+", true},
    {75, 98, Qt::Key_Slash, "/", true},
    {76, 96, Qt::Key_Enter, "", true},
    {78, 74, Qt::Key_Minus, "-", true},
    {81, 117, Qt::Key_Equal, "=", true},
    {82, 82, Qt::Key_0, "0", true},
    {83, 79, Qt::Key_1, "1", true},
    {84, 80, Qt::Key_2, "2", true},
    {85, 81, Qt::Key_3, "3", true},
    {86, 75, Qt::Key_4, "4", true},
    {87, 76, Qt::Key_5, "5", true},
    {88, 77, Qt::Key_6, "6", true},
    {89, 71, Qt::Key_7, "7", true},
    {91, 72, Qt::Key_8, "8", true},
    {92, 73, Qt::Key_9, "9", true},
    // Function keys.
    {122, 59, Qt::Key_F1, "", false},
    {120, 60, Qt::Key_F2, "", false},
    {99, 61, Qt::Key_F3, "", false},
    {118, 62, Qt::Key_F4, "", false},
    {96, 63, Qt::Key_F5, "", false},
    {97, 64, Qt::Key_F6, "", false},
    {98, 65, Qt::Key_F7, "", false},
    {100, 66, Qt::Key_F8, "", false},
    {101, 67, Qt::Key_F9, "", false},
    {109, 68, Qt::Key_F10, "", false},
    {103, 87, Qt::Key_F11, "", false},
    {111, 88, Qt::Key_F12, "", false},
    {105, 183, Qt::Key_F13, "", false},
    {107, 184, Qt::Key_F14, "", false},
    {113, 185, Qt::Key_F15, "", false},
    {106, 186, Qt::Key_F16, "", false},
    {64, 187, Qt::Key_F17, "", false},
    {79, 188, Qt::Key_F18, "", false},
    {80, 189, Qt::Key_F19, "", false},
    {90, 190, Qt::Key_F20, "", false},
    // Navigation and editing keys; help sits where PC keyboards have Insert.
    {114, 110, Qt::Key_Insert, "", false},
    {115, 102, Qt::Key_Home, "", false},
    {116, 104, Qt::Key_PageUp, "", false},
    {117, 111, Qt::Key_Delete, "", false},
    {119, 107, Qt::Key_End, "", false},
    {121, 109, Qt::Key_PageDown, "", false},
    {123, 105, Qt::Key_Left, "", false},
    {124, 106, Qt::Key_Right, "", false},
    {125, 108, Qt::Key_Down, "", false},
    {126, 103, Qt::Key_Up, "", false},
};

constexpr quint32 kEvdevOffset = 8;

const Entry* entryForKeyCode(int keyCode) {
  for (const Entry& entry : kTable) {
    if (entry.keyCode == keyCode)
      return &entry;
  }
  return nullptr;
}

struct ModifierMap {
  int carbon;
  quint16 x;
  Qt::KeyboardModifier qt;
};

constexpr ModifierMap kModifiers[] = {
    {KeyTransformer::kCarbonCommand, KeyCodeTable::kXControl, Qt::ControlModifier},
    {KeyTransformer::kCarbonOption, KeyCodeTable::kXMod1, Qt::AltModifier},
    {KeyTransformer::kCarbonControl, KeyCodeTable::kXMod4, Qt::MetaModifier},
    {KeyTransformer::kCarbonShift, KeyCodeTable::kXShift, Qt::ShiftModifier},
};

} // namespace

std::optional<quint32> KeyCodeTable::xKeycode(int keyCode) {
  const Entry* entry = entryForKeyCode(keyCode);
  if (!entry)
    return std::nullopt;
  return static_cast<quint32>(entry->evdev) + kEvdevOffset;
}

std::optional<int> KeyCodeTable::keyCodeFromXKeycode(quint32 xKeycode) {
  for (const Entry& entry : kTable) {
    if (static_cast<quint32>(entry.evdev) + kEvdevOffset == xKeycode)
      return entry.keyCode;
  }
  return std::nullopt;
}

std::optional<int> KeyCodeTable::qtKey(int keyCode) {
  const Entry* entry = entryForKeyCode(keyCode);
  if (!entry)
    return std::nullopt;
  return entry->qtKey;
}

bool KeyCodeTable::isKeypadKey(int keyCode) {
  const Entry* entry = entryForKeyCode(keyCode);
  return entry && entry->keypad;
}

std::optional<int> KeyCodeTable::keyCodeFromQtKey(int qtKey, bool keypad) {
  // Qt names a shifted key by its shifted character; a US layout's
  // unshifted key stands behind it.
  static const std::pair<int, int> shifted[] = {
      {Qt::Key_Exclam, Qt::Key_1},
      {Qt::Key_At, Qt::Key_2},
      {Qt::Key_NumberSign, Qt::Key_3},
      {Qt::Key_Dollar, Qt::Key_4},
      {Qt::Key_Percent, Qt::Key_5},
      {Qt::Key_AsciiCircum, Qt::Key_6},
      {Qt::Key_Ampersand, Qt::Key_7},
      {Qt::Key_ParenLeft, Qt::Key_9},
      {Qt::Key_ParenRight, Qt::Key_0},
      {Qt::Key_Underscore, Qt::Key_Minus},
      {Qt::Key_BraceLeft, Qt::Key_BracketLeft},
      {Qt::Key_BraceRight, Qt::Key_BracketRight},
      {Qt::Key_Colon, Qt::Key_Semicolon},
      {Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
      {Qt::Key_Question, Qt::Key_Slash},
      {Qt::Key_Greater, Qt::Key_Period},
      {Qt::Key_Bar, Qt::Key_Backslash},
      {Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
      {Qt::Key_Backtab, Qt::Key_Tab},
  };
  if (!keypad) {
    for (const auto& [from, to] : shifted) {
      if (qtKey == from)
        qtKey = to;
    }
    if (qtKey == Qt::Key_Plus)
      qtKey = Qt::Key_Equal;
    if (qtKey == Qt::Key_Enter)
      qtKey = Qt::Key_Return;
  }
  for (const Entry& entry : kTable) {
    if (entry.qtKey == qtKey && entry.keypad == keypad)
      return entry.keyCode;
  }
  return std::nullopt;
}

QString KeyCodeTable::usText(int keyCode) {
  const Entry* entry = entryForKeyCode(keyCode);
  return entry ? QString::fromLatin1(entry->us) : QString();
}

QString KeyCodeTable::keypadText(int keyCode) {
  const Entry* entry = entryForKeyCode(keyCode);
  return entry && entry->keypad ? QString::fromLatin1(entry->us) : QString();
}

quint16 KeyCodeTable::xModifiers(int carbonModifiers) {
  quint16 x = 0;
  for (const ModifierMap& m : kModifiers) {
    if (carbonModifiers & m.carbon)
      x |= m.x;
  }
  return x;
}

int KeyCodeTable::carbonFromXModifiers(quint16 xModifiers) {
  int carbon = 0;
  for (const ModifierMap& m : kModifiers) {
    if (xModifiers & m.x)
      carbon |= m.carbon;
  }
  return carbon;
}

Qt::KeyboardModifiers KeyCodeTable::qtModifiers(int carbonModifiers) {
  Qt::KeyboardModifiers qt;
  for (const ModifierMap& m : kModifiers) {
    if (carbonModifiers & m.carbon)
      qt |= m.qt;
  }
  return qt;
}

int KeyCodeTable::carbonFromQtModifiers(Qt::KeyboardModifiers modifiers) {
  int carbon = 0;
  for (const ModifierMap& m : kModifiers) {
    if (modifiers & m.qt)
      carbon |= m.carbon;
  }
  return carbon;
}

int KeyCodeTable::carbonModifierOfQtKey(int qtKey) {
  switch (qtKey) {
  case Qt::Key_Control:
    return KeyTransformer::kCarbonCommand;
  case Qt::Key_Alt:
    return KeyTransformer::kCarbonOption;
  case Qt::Key_Meta:
  case Qt::Key_Super_L:
  case Qt::Key_Super_R:
    return KeyTransformer::kCarbonControl;
  case Qt::Key_Shift:
    return KeyTransformer::kCarbonShift;
  default:
    return 0;
  }
}

} // namespace kr

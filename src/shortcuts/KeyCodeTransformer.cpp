#include "shortcuts/KeyCodeTransformer.h"

#include "shortcuts/KeyCodeTable.h"
#include "shortcuts/KeyTransformer.h"

#include "platform/services/KeyboardLayoutAPI.h"

#include <limits>

namespace kr {

namespace {

struct Special {
  int keyCode;
  const char16_t* text;
};

constexpr Special kSpecial[] = {
    {122, u"F1"},     {120, u"F2"},      {99, u"F3"},      {118, u"F4"},     {96, u"F5"},
    {97, u"F6"},      {98, u"F7"},       {100, u"F8"},     {101, u"F9"},     {109, u"F10"},
    {103, u"F11"},    {111, u"F12"},     {105, u"F13"},    {107, u"F14"},    {113, u"F15"},
    {106, u"F16"},    {64, u"F17"},      {79, u"F18"},     {80, u"F19"},     {90, u"F20"},
    {49, u"Space"},   {51, u"\u232B"},   {117, u"\u2326"}, {82, u"\u2327"},  {123, u"\u2190"},
    {124, u"\u2192"}, {126, u"\u2191"},  {125, u"\u2193"}, {119, u"\u2198"}, {115, u"\u2196"},
    {53, u"\u238B"},  {121, u"\u21DF"},  {116, u"\u21DE"}, {36, u"\u21A9"},  {76, u"\u2305"},
    {48, u"\u21E5"},  {114, u"?\u20DD"},
};

} // namespace

const KeyCodeTransformer& KeyCodeTransformer::shared() {
  static const KeyCodeTransformer instance;
  return instance;
}

QString KeyCodeTransformer::specialKeyCodeString(int keyCode) {
  for (const Special& special : kSpecial) {
    if (special.keyCode == keyCode)
      return QString::fromUtf16(special.text);
  }
  return {};
}

QString KeyCodeTransformer::transformValue(qint64 keyCode, qint64 carbonModifiers) const {
  // Hand-edited settings may hold anything: a key code beyond 16 bits or
  // modifiers beyond 32 bits name no key.
  if (keyCode < 0 || keyCode > std::numeric_limits<quint16>::max() || carbonModifiers < 0 ||
      carbonModifiers > std::numeric_limits<quint32>::max())
    return {};
  const int code = static_cast<int>(keyCode);
  const QString special = specialKeyCodeString(code);
  if (!special.isEmpty())
    return special;
  const QString keypad = KeyCodeTable::keypadText(code);
  if (!keypad.isEmpty())
    return keypad;
  const std::optional<quint32> xKeycode = KeyCodeTable::xKeycode(code);
  if (!xKeycode)
    return {};
  if (const KeyboardLayoutAPI* layout = KeyboardLayoutAPI::installed())
    return layout->levelOneText(*xKeycode).toUpper();
  return KeyCodeTable::usText(code);
}

QString KeyCodeTransformer::transformValueCocoa(qint64 keyCode, qint64 cocoaModifiers) const {
  if (cocoaModifiers < 0 || cocoaModifiers > std::numeric_limits<int>::max())
    return {};
  return transformValue(keyCode, KeyTransformer::carbonFlags(static_cast<int>(cocoaModifiers)));
}

} // namespace kr

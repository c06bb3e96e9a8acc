#include "shortcuts/KeyTransformer.h"

#include <array>
#include <bit>

namespace kr {

namespace {

struct ModifierPair {
  int carbon;
  int cocoa;
};

constexpr std::array<ModifierPair, 4> kPairs{{
    {KeyTransformer::kCarbonCommand, KeyTransformer::kCocoaCommand},
    {KeyTransformer::kCarbonOption, KeyTransformer::kCocoaOption},
    {KeyTransformer::kCarbonControl, KeyTransformer::kCocoaControl},
    {KeyTransformer::kCarbonShift, KeyTransformer::kCocoaShift},
}};

constexpr std::array<int, 20> kFunctionKeys{122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                            103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

} // namespace

int KeyTransformer::carbonFlags(int cocoaFlags) {
  int carbon = 0;
  for (const ModifierPair& pair : kPairs) {
    if (cocoaFlags & pair.cocoa)
      carbon |= pair.carbon;
  }
  return carbon;
}

int KeyTransformer::cocoaFlags(int carbonFlags) {
  int cocoa = 0;
  for (const ModifierPair& pair : kPairs) {
    if (carbonFlags & pair.carbon)
      cocoa |= pair.cocoa;
  }
  return cocoa;
}

bool KeyTransformer::supportedCarbonFlags(int carbonFlags) {
  return (carbonFlags & kCarbonModifierMask) != 0;
}

bool KeyTransformer::supportedCocoaFlags(int cocoaFlags) {
  return (cocoaFlags & kCocoaModifierMask) != 0;
}

bool KeyTransformer::singleCarbonFlags(int carbonFlags) {
  return std::popcount(static_cast<unsigned>(carbonFlags & kCarbonModifierMask)) == 1;
}

bool KeyTransformer::singleCocoaFlags(int cocoaFlags) {
  return std::popcount(static_cast<unsigned>(cocoaFlags & kCocoaModifierMask)) == 1;
}

bool KeyTransformer::containsFunctionKey(int keyCode) {
  for (int code : kFunctionKeys) {
    if (code == keyCode)
      return true;
  }
  return false;
}

QStringList KeyTransformer::modifiersToString(int carbonFlags) {
  static const char* const names[] = {"Ctrl", "Alt", "Super", "Shift"};
  QStringList result;
  for (std::size_t i = 0; i < kPairs.size(); ++i) {
    if (carbonFlags & kPairs[i].carbon)
      result.append(QString::fromLatin1(names[i]));
  }
  return result;
}

QStringList KeyTransformer::cocoaModifiersToString(int cocoaFlags) {
  return modifiersToString(carbonFlags(cocoaFlags));
}

} // namespace kr
